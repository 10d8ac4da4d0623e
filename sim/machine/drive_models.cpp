#include "sim/machine/drive_models.h"

#include <array>

namespace sim {
namespace {

std::unique_ptr<Personality> plainCore() { return nullptr; }

constexpr std::array<DriveModel, 1> kModels = {{
    {"mmc", &plainCore},
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
