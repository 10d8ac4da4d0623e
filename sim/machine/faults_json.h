#pragma once
// The faults of one drive in JSON, as a machine description injects them and as the drive
// state keeps what is left of them.

#include <nlohmann/json.hpp>

#include "sim/drives/faults.h"
#include "sim/machine/json_fields.h"

namespace sim {

// Keys: mediumPresent, busyCommands, notReadyCommands, unitAttentionCommands,
// timeoutCommands, timeoutFromCommand (null or absent: never), stoppedAnswering;
// for the firmware download (blocks numbered from 1): failingBlock and failingBlockAlways,
// corruptReadBackAt (a download buffer offset) and corruptReadBackAlways, timeoutFromBlock,
// each block or offset null or absent for none. Throws DescriptionError.
Faults parseFaults(const nlohmann::json& value, const JsonPath& path);
nlohmann::json faultsJson(const Faults& faults);

}  // namespace sim
