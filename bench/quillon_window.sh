#!/bin/sh
# bench/quillon_window.sh [BUILD_DIR]: Quillon's wizard in its Qt window, offscreen, on the
# real clock, in a fresh copy of the built-in PC with the CD-recorder manager installed (so
# no settings question comes between the pages):
#   - ten starts to the welcome page painted (goal under 300 ms), and the wall time of each
#     whole run of the program, start to exit;
#   - one update of drive 0 (drive type 6) with the progress page's 400 steps timed
#     (100 ms each for that type, so it takes 40 s), and its peak resident memory.
set -eu
build=${1:-build}
share=$build/share/quillon/machines/default
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$share/oem.json" "$share/firmware.json" "$work/"
sed 's/"cdrManager": {"installed": false}/"cdrManager": {"installed": true}/' "$share/machine.json" >"$work/machine.json"
"$build/bin/simpc" new "$work/pc" --from "$work/machine.json" >/dev/null
run() { "$build/bin/simpc" run "$work/pc" bench-quillon-window "$@" 2>"$work/err" | grep -E '^(welcome page|progress page)'; }
for each in 1 2 3 4 5 6 7 8 9 10; do
  before=$(date +%s%N)
  run start
  after=$(date +%s%N)
  echo "  whole program, start to exit: $(( (after - before) / 1000000 )) ms"
done
/usr/bin/time -f "%M" -o "$work/time" "$build/bin/simpc" run "$work/pc" bench-quillon-window progress \
  >"$work/out" 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
grep '^progress page' "$work/out"
echo "  peak resident memory of that whole run in the window: $(( $(cat "$work/time") / 1024 )) MiB (goal under 60 MiB)"
