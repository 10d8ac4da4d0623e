#include "sim/machine/drive_models.h"

#include <array>

#include "sim/drives/vorante/vorante_personality.h"

namespace sim {
namespace {

std::unique_ptr<Personality> plainCore(const DriveContext&) { return nullptr; }

std::unique_ptr<Personality> voranteDrive(const DriveContext& context) {
  return std::make_unique<vorante::VorantePersonality>(context.device.vorante.value_or(vorante::DriveSetup{}),
                                                       context.flash, context.faults);
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
