#pragma once
// Starting another program the way the flasher hand-off does on Windows: by path, with no
// command line, without waiting for it. Inside a simulated PC the launch is recorded in the
// machine's state folder instead, and the launcher carries it out.

#include <string>

namespace platform {

inline constexpr const char* kLaunchesFileName = "launches";

// True when the program was started (or the launch recorded); false when there is no such
// program or it could not be started.
bool CreateProcess(const std::string& path);

}  // namespace platform
