#pragma once
// The parts of a machine folder that are made from its description: the firmware files, the
// drives' flash images and the registry hive.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"
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

// The hive of a freshly installed PC, as REGEDIT4 text: the suite's own key, and the keys
// Windows of the machine's platform has for its drives, with the DMA and autorun settings
// the description gives them.
std::string freshRegistryText(const MachineDescription& machine);

// What Windows builds afresh at every start, from the drives and the settings the hive holds:
// HARDWARE\DEVICEMAP\Scsi on NT (DMA is off on a channel whose atapi DriverParameter sets
// DmaDetectionLevel to 0), HKEY_DYN_DATA's Config Manager entries on Windows 9x.
void rebuildVolatileKeys(platform::Hive& hive, const MachineDescription& machine);

}  // namespace sim
