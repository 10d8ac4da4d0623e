#pragma once
// The emulated drive models a machine's devices name: the common MMC core, and the maker's
// own drives ("vorante"), a personality over that core.

#include <functional>
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

// The core answers its standard commands without asking a personality; one that must answer
// every command at times (a drive programming its flash) names what the drive asks first.
using FirstAnswer = std::function<std::optional<platform::ScsiOutcome>(EmulatedDrive&, const platform::ScsiCommand&)>;

struct MadePersonality {
  std::unique_ptr<Personality> personality;  // nothing for the plain core
  FirstAnswer first;                         // empty when the core may answer first
};

using PersonalityMaker = MadePersonality (*)(const DriveContext& context);

struct DriveModel {
  std::string_view name;
  PersonalityMaker make;
  // How a drive of this model gets its personality: MachineDrive makes it in its context.
  PersonalityMaker personality() const { return make; }
};

const DriveModel* findDriveModel(std::string_view name);
std::string driveModelNames();  // for messages: "mmc, vorante"

}  // namespace sim
