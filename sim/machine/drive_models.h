#pragma once
// The emulated drive models a machine's devices name: the common MMC core, and the maker's
// own drives ("vorante"), a personality over that core.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "sim/drives/emulated_drive.h"
#include "sim/drives/faults.h"
#include "sim/drives/personality.h"
#include "sim/drives/vorante/flash_store.h"
#include "sim/machine/description.h"

namespace sim {

// What a machine's drive gives the model to make its personality with.
struct DriveContext {
  const DeviceDescription& device;
  std::shared_ptr<vorante::FlashStore> flash;  // the drive's flash image
  // What is left of the drive's faults; the personality uses up those of its own commands.
  std::shared_ptr<Faults> faults;
};

// Nothing for the plain core.
using PersonalityMaker = std::unique_ptr<Personality> (*)(const DriveContext& context);

struct DriveModel {
  std::string_view name;
  PersonalityMaker make;  // MachineDrive makes the personality in its drive's context
};

const DriveModel* findDriveModel(std::string_view name);
std::string driveModelNames();  // for messages: "mmc, vorante"

}  // namespace sim
