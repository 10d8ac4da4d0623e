#include "sim/simpc/places.h"

#include <cstdlib>

namespace sim::simpc {
namespace {

namespace fs = std::filesystem;

std::optional<fs::path> stateHome() {
  // Relative values are to be ignored, as the XDG base directory rules say.
  const char* xdg = std::getenv("XDG_STATE_HOME");
  if (xdg && fs::path(xdg).is_absolute()) return fs::path(xdg);
  const char* home = std::getenv("HOME");
  if (home && fs::path(home).is_absolute()) return fs::path(home) / ".local" / "state";
  return std::nullopt;
}

}  // namespace

Places installedPlaces() {
  std::error_code error;
  fs::path self = fs::read_symlink("/proc/self/exe", error);
  Places places;
  places.programs = self.parent_path();
  places.defaultSource = places.programs.parent_path() / "share" / "quillon" / "machines" / "default" / "machine.json";
  if (auto home = stateHome()) places.defaultMachine = *home / "quillon" / "machines" / "default";
  return places;
}

fs::path programPath(const Places& places, const std::string& program) {
  if (program.find('/') == std::string::npos) return places.programs / program;
  return fs::absolute(program);
}

}  // namespace sim::simpc
