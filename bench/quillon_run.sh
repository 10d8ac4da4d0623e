#!/bin/sh
# bench/quillon_run.sh [BUILD_DIR]: Quillon's automatic run updating the 2 MiB drive (VD0804A,
# drive type 32) of a PC that has only that drive, from Quillon's start to its end, on the
# virtual clock: wall time (goal under 1 s) and peak resident memory (goal under 60 MiB).
set -eu
build=${1:-build}
share=$build/share/quillon/machines/default
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$share/oem.json" "$share/firmware.json" "$work/"
cat >"$work/machine.json" <<'JSON'
{
  "platform": 7,
  "administrator": true,
  "aspi": {"installed": true, "version": "4.60"},
  "cdrManager": {"installed": true},
  "adapters": [{"number": 0, "kind": "ide"}, {"number": 1, "kind": "scsi"}],
  "devices": [
    {"adapter": 1, "target": 4, "letter": "F", "model": "vorante",
     "vendor": "VORANTE", "product": "VD0804A", "revision": "1.05", "flash": "VD0804A-0105.CVT"}
  ],
  "oem": "oem.json",
  "firmware": "firmware.json"
}
JSON
"$build/bin/simpc" new "$work/pc" --from "$work/machine.json" >/dev/null
# simpc waits for Quillon, so its children's figures hold Quillon's own.
/usr/bin/time -f "%e %M %U %S" -o "$work/time" \
  "$build/bin/simpc" run "$work/pc" quillon --headless >"$work/out" 2>&1
tail -n 1 "$work/out"
read -r seconds kib user system <"$work/time"
echo "Automatic update of the 2 MiB drive: $seconds s wall time (goal under 1 s; $user s user, $system s system)," \
     "peak resident $((kib / 1024)) MiB (goal under 60 MiB)"
