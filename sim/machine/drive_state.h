#pragma once
// What a drive of a machine remembers while the machine runs, kept in state/drives.json so
// that every program run on the machine, and `simpc show`, finds the drives as the last
// program left them: the identity it reports, the tray, the disc, the removal lock and what
// is left of its injected faults.

#include <optional>
#include <vector>

#include <nlohmann/json.hpp>

#include "sim/drives/faults.h"
#include "sim/drives/identity.h"
#include "sim/drives/vorante/indicator.h"
#include "sim/machine/description.h"

namespace sim {

struct DriveState {
  // The drive as the machine describes it; not kept in drives.json, since the description
  // says it.
  DeviceDescription device;
  Identity identity;
  bool trayOpen = false;
  bool medium = false;
  bool removalPrevented = false;
  Faults faultsLeft;  // its mediumPresent is not used: `medium` says it
  // The maker's drives have one, kept as it settles once a programming under way ends;
  // a plain drive has none.
  std::optional<vorante::Indicator> indicator;
};

// As the drive comes from the factory into a freshly made machine.
DriveState powerOnState(const DeviceDescription& device);
// After Windows restarted: the lock is gone, the faults are armed again and the indicator
// is dark after the bus reset, while the tray, the disc and the firmware (so the identity)
// stay as they were.
DriveState restartedState(DriveState state, const DeviceDescription& device);

bool sameState(const DriveState& a, const DriveState& b);

// One drive's entry: its address, then its state.
nlohmann::json driveStateJson(const DeviceDescription& device, const DriveState& state);
// An array in the order of the description's devices, each entry with its address.
nlohmann::json drivesJson(const std::vector<DeviceDescription>& devices, const std::vector<DriveState>& states);
// Throws DescriptionError naming the path at fault, also for entries that do not match the devices.
std::vector<DriveState> parseDrives(const nlohmann::json& document, const std::vector<DeviceDescription>& devices);

}  // namespace sim
