#include "sim/machine/drive_look.h"

#include <cstdio>
#include <fstream>

#include <nlohmann/json.hpp>

#include "sim/machine/machine_folder.h"

namespace sim {
namespace {

using nlohmann::json;

bool at(const json& drive, int adapter, int target, int lun) {
  return drive.value("adapter", -1) == adapter && drive.value("target", -1) == target && drive.value("lun", -1) == lun;
}

}  // namespace

std::optional<DriveLook> lookAtDrive(const std::filesystem::path& machine, int adapter, int target, int lun) {
  std::ifstream file(MachineFolder(machine).drives());
  json drives = json::parse(file, nullptr, false);
  if (!drives.is_array()) return std::nullopt;
  for (const json& drive : drives) {
    if (!drive.is_object() || !at(drive, adapter, target, lun)) continue;
    const json& indicator = drive.value("indicator", json());
    return DriveLook{indicator.is_string() ? indicator.get<std::string>() : "none", drive.value("revision", "")};
  }
  return std::nullopt;
}

std::optional<DriveLook> lookAtDrive(const std::filesystem::path& machine, const std::string& address) {
  int adapter = 0, target = 0, lun = 0;
  char end = 0;
  if (std::sscanf(address.c_str(), "%d:%d:%d%c", &adapter, &target, &lun, &end) != 3) return std::nullopt;
  return lookAtDrive(machine, adapter, target, lun);
}

}  // namespace sim
