#pragma once
// What the owner sees of a machine's drive from outside any program: the indicator on its
// front panel and the revision it now reports, as the machine's drive state keeps them. The
// automatic run's user looks through this; it reads the state and changes nothing.

#include <filesystem>
#include <optional>
#include <string>

namespace sim {

struct DriveLook {
  std::string indicator;  // "off", "blinking", "steady", "error"; "none" for a drive without one
  std::string revision;
};

// Nothing when the machine has no such drive or its state cannot be read.
std::optional<DriveLook> lookAtDrive(const std::filesystem::path& machine, int adapter, int target, int lun);
// The same for an address written "adapter:target:lun".
std::optional<DriveLook> lookAtDrive(const std::filesystem::path& machine, const std::string& address);

}  // namespace sim
