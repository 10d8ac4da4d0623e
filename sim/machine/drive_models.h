#pragma once
// The emulated drive models a machine's devices name: the common MMC core, and with later
// work the makers' drives, each a personality over that core.

#include <memory>
#include <string>
#include <string_view>

#include "sim/drives/personality.h"

namespace sim {

struct DriveModel {
  std::string_view name;
  // Nothing for the plain core.
  std::unique_ptr<Personality> (*personality)();
};

const DriveModel* findDriveModel(std::string_view name);
std::string driveModelNames();  // for messages: "mmc"

}  // namespace sim
