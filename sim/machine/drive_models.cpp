#include "sim/machine/drive_models.h"

#include <array>

#include "sim/drives/vorante/vorante_personality.h"

namespace sim {
namespace {

MadePersonality plainCore(const DriveContext&) { return {}; }

MadePersonality voranteDrive(const DriveContext& context) {
  auto personality = std::make_unique<vorante::VorantePersonality>(
      context.device.vorante.value_or(vorante::DriveSetup{}), context.flash, context.faults);
  // The core owns the personality, and the drive owning the core asks this first.
  vorante::VorantePersonality* drive = personality.get();
  return {std::move(personality), [drive](EmulatedDrive& core, const platform::ScsiCommand& command) {
            return drive->intercept(core, command);
          }};
}

constexpr std::array<DriveModel, 2> kModels = {{
    {"mmc", &plainCore},
    {"vorante", &voranteDrive},
}};

}  // namespace

const DriveModel* findDriveModel(std::string_view name) {
  for (const DriveModel& model : kModels)
    if (model.name == name) return &model;
  return nullptr;
}

std::string driveModelNames() {
  std::string names;
  for (const DriveModel& model : kModels) names += (names.empty() ? "" : ", ") + std::string(model.name);
  return names;
}

}  // namespace sim
