#pragma once
// Where simpc finds what it works with: the suite's programs beside it, the built-in
// machine's description installed with it, and the user's copy of that machine.

#include <filesystem>
#include <optional>
#include <string>

namespace sim::simpc {

struct Places {
  std::filesystem::path programs;          // the folder simpc lives in
  std::filesystem::path defaultSource;     // the built-in machine's machine.json
  std::optional<std::filesystem::path> defaultMachine;  // nothing: the user has no state folder
};

// From the running binary and the environment ($XDG_STATE_HOME, else ~/.local/state).
Places installedPlaces();

// A name without a folder is one of the suite's programs; anything else a path.
std::filesystem::path programPath(const Places& places, const std::string& program);

}  // namespace sim::simpc
