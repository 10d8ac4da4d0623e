#pragma once
// A machine as its machine.json describes it: the Windows it runs, the user, the outside
// libraries installed, the host adapters and the drives on them. Validated as a whole when
// read, so that nothing runs on a machine with a fault in its description.
//
// {
//   "platform": 7,                          code 0-7
//   "version": {...} | null,                optional: platformId, major, minor, build,
//                                           servicePack replace the code's; null: the
//                                           version query fails
//   "administrator": true,
//   "aspi": {"installed": true, "version": "4.60"},
//   "cdrManager": {"installed": true},
//   "autorun": true,                        optional: Windows reacts to inserted discs
//                                           (Autorun on NT, AutoInsertNotification on 9x)
//   "adapters": [{"number": 0, "kind": "ide" | "parallel" | "scsi",
//                 "identifier": "atapi",    optional, as Windows names it to ASPI
//                 "targets": 8 | 16,        SCSI only; IDE channels have 2, parallel ports 1
//                 "dma": false}],           IDE only, optional: bus-master DMA on the channel
//   "devices": [{"adapter": 0, "target": 0, "lun": 0, "letter": "D" | null,
//                "deviceType": 5, "model": "mmc" | "vorante",
//                "vendor": "...", "product": "...", "revision": "...", "vendorSpecific": "...",
//                "flash": "FILE.CVT" | "blank", "faults": {...},
//                the maker's own drives ("vorante") only, all optional:
//                "driveType": 16,           default: the type of the model identifier
//                                           the product begins with
//                "skew": "A7",              what ReadSkew reads, up to 4 characters
//                "eftim": "01",             what ReadEFTIM reads, up to 4 ASCII characters;
//                                           "\u0005..." selects a dual file's second half
//                "factorySetting": 0,       the byte behind the diagnostics mode at
//                                           power-on, 0-255
//                "disturbedBySettings": false}],  true: while Windows has DMA on the
//                                           drive's channel or autorun in effect, every
//                                           download block fails
//   "oem": {...} | "oem.json",              optional: the Quillon.oem of the files folder
//                                           (keySeed and records), or its description's name
//   "firmware": [...] | "firmware.json"     the firmware set of the files folder, or the
//                                           name of its description beside machine.json
// }

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/host.h"
#include "platform/scsi_bus.h"
#include "sim/drives/faults.h"
#include "sim/drives/identity.h"
#include "sim/drives/vorante/setup.h"
#include "sim/machine/json_fields.h"
#include "sim/machines/firmware_set.h"

namespace sim {

enum class AdapterKind { Ide, Parallel, Scsi };

struct AdapterDescription {
  int number = 0;
  AdapterKind kind = AdapterKind::Ide;
  std::string identifier;  // up to 16 characters
  int targets = 2;         // target IDs 0 to targets - 1
  bool dma = false;        // bus-master DMA, IDE channels only
};

std::string_view kindName(AdapterKind kind);
// ATAPI devices on IDE channels and parallel ports answer on LUN 0 only.
int lunsPerTarget(AdapterKind kind);

inline constexpr char kBlankFlash[] = "blank";

struct DeviceDescription {
  platform::ScsiAddress address;  // bus is always 0: every channel is an adapter of its own
  std::optional<char> letter;
  int deviceType = 5;
  std::string model = "mmc";
  Identity identity;
  std::string flash = kBlankFlash;  // a file of the firmware set, or blank (all 0xFF)
  Faults faults;
  std::optional<vorante::DriveSetup> vorante;  // for the maker's own drives
  bool disturbedBySettings = false;           // the maker's own drives only
};

struct MachineDescription {
  int platform = 7;
  std::optional<platform::VersionInfo> version;
  bool administrator = true;
  bool aspiInstalled = false;
  std::string aspiVersion = "4.60";
  bool cdrManagerInstalled = false;
  bool autorun = true;
  std::vector<AdapterDescription> adapters;  // adapter n at index n
  std::vector<DeviceDescription> devices;
  nlohmann::json firmware = nlohmann::json::array();
  nlohmann::json oem;  // null: the files folder has no Quillon.oem
};

// Throws DescriptionError naming the JSON path of the first fault.
MachineDescription parseMachine(const nlohmann::json& document);

// Called by parseMachine; the devices need the adapters already read.
std::vector<DeviceDescription> parseDevices(const nlohmann::json& devices, const JsonPath& path,
                                            const std::vector<AdapterDescription>& adapters);

}  // namespace sim
