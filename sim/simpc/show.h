#pragma once
// What `simpc show` tells about a machine: its Windows, user and libraries, and every
// adapter with its drives as they are now (identity, tray, disc, lock, flash image).
// The flash image is summed as Quillon sums firmware data: its linear and rotated checksums.

#include <ostream>

#include <nlohmann/json.hpp>

#include "sim/machine/machine_folder.h"

namespace sim::simpc {

// Throws MachineError for a folder that cannot be read whole.
nlohmann::json machineReport(const MachineFolder& folder);

void printReport(const nlohmann::json& report, std::ostream& out);

}  // namespace sim::simpc
