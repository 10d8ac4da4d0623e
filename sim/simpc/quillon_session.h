#pragma once
// `simpc run [DIR] quillon [--headless] [--drive ADDRESS] [ARGS...]`: Quillon inside the
// machine as its owner meets it; the automatic run takes the drive at ADDRESS
// ("adapter:target:lun") instead of the first supported one. A restart it asks for reboots the machine, and after that reboot the automatic
// run's user starts it once more, as the wizard tells a person to; the flashers Quillon hands
// a drive to are started after it has ended.

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "sim/machine/machine_folder.h"

namespace sim::simpc {

inline constexpr const char* kQuillonProgram = "quillon";
inline constexpr const char* kHeadlessOption = "--headless";
inline constexpr const char* kDriveOption = "--drive";
inline constexpr const char* kFrontEndVariable = "QUILLON_FRONT_END";
inline constexpr const char* kAutomaticDriveVariable = "QUILLON_AUTOMATIC_DRIVE";

// Quillon's exit status (the last start's).
int runQuillon(const MachineFolder& folder, const std::filesystem::path& program, std::vector<std::string> arguments,
               std::ostream& out);

// The hand-offs recorded in the machine's launches file, each told (none of the partner
// flashers is part of this suite yet); the file is cleared.
void carryOutHandOffs(const MachineFolder& folder, std::ostream& out);

}  // namespace sim::simpc
