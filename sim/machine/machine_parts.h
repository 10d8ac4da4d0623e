#pragma once
// The parts of a machine folder that are made from its description: the firmware files, the
// drives' flash images and the registry hive.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "sim/machine/description.h"
#include "sim/machines/firmware_set.h"
#include "sim/machines/oem_set.h"

namespace sim {

// The firmware set written inline, or read from the file it names beside the description.
// Throws MachineError naming the file and the JSON path at fault.
std::vector<FirmwareFile> firmwareSetOf(const MachineDescription& machine, const std::filesystem::path& description);

// The OEM file's description, inline or from its file; nothing when the machine has none.
std::optional<OemSet> oemSetOf(const MachineDescription& machine, const std::filesystem::path& description);

// One image per device, in the description's order: the data of the firmware file the device
// names, or a blank flash (0xFF) as long as its model's firmware. Throws MachineError for a
// file not in the set.
std::vector<std::vector<std::uint8_t>> flashImages(const MachineDescription& machine,
                                                   const std::vector<FirmwareFile>& firmware,
                                                   const std::filesystem::path& description);

// The hive of a freshly installed PC, as REGEDIT4 text.
std::string freshRegistryText();

}  // namespace sim
