#include "sim/machine/machine_maker.h"

#include <fmt/format.h>

#include "platform/files.h"
#include "sim/machine/machine_host.h"
#include "sim/machine/machine_parts.h"

namespace sim {
namespace {

namespace fs = std::filesystem;

struct Parts {
  MachineDescription machine;
  std::vector<FirmwareFile> firmware;
  std::optional<OemSet> oem;
  std::vector<std::vector<std::uint8_t>> flash;
};

Parts partsOf(const fs::path& description) {
  Parts parts;
  try {
    parts.machine = parseMachine(readJsonFile(description));
  } catch (const DescriptionError& fault) {
    throw MachineError(description.native() + ": " + fault.what());
  }
  parts.firmware = firmwareSetOf(parts.machine, description);
  parts.oem = oemSetOf(parts.machine, description);
  parts.flash = flashImages(parts.machine, parts.firmware, description);
  return parts;
}

void freshFolder(const fs::path& path) {
  std::error_code error;
  fs::remove_all(path, error);
  if (!error) fs::create_directories(path, error);
  if (error) throw MachineError(fmt::format("{}: cannot be made: {}", path.native(), error.message()));
}

void writeFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  if (platform::writeWholeFile(path.native(), bytes) != platform::FileError::None)
    throw MachineError(path.native() + ": cannot be written");
}

void writeParts(const MachineFolder& folder, const Parts& parts) {
  for (const fs::path& path : {folder.flash(), folder.files(), folder.state()}) freshFolder(path);
  std::string hive = freshRegistryText(parts.machine);
  writeFile(folder.registry(), {hive.begin(), hive.end()});
  try {
    writeFirmwareSet(parts.firmware, folder.files().native());
    if (parts.oem) writeOemSet(*parts.oem, folder.files().native());
  } catch (const std::exception& error) {
    throw MachineError(fmt::format("{}: {}", folder.files().native(), error.what()));
  }
  for (std::size_t i = 0; i < parts.machine.devices.size(); ++i)
    writeFile(folder.flashImage(parts.machine.devices[i].address), parts.flash[i]);
  std::vector<DriveState> states;
  for (const DeviceDescription& device : parts.machine.devices) states.push_back(powerOnState(device));
  writeDriveStates(folder, parts.machine, states);
}

void copyFile(const fs::path& from, const fs::path& to) {
  std::error_code error;
  fs::copy_file(from, to, error);
  if (error) throw MachineError(fmt::format("{}: cannot be copied to {}: {}", from.native(), to.native(), error.message()));
}

bool emptyOrAbsent(const fs::path& path) {
  std::error_code error;
  if (!fs::exists(path, error)) return !error;
  return fs::is_directory(path, error) && fs::is_empty(path, error);
}

}  // namespace

void makeMachine(const fs::path& description, const MachineFolder& folder) {
  Parts parts = partsOf(description);
  if (!emptyOrAbsent(folder.root()))
    throw MachineError(folder.root().native() + ": exists and is not empty; a machine is made in a new folder");
  bool made = !fs::exists(folder.root());
  try {
    std::error_code error;
    fs::create_directories(folder.root(), error);
    if (error) throw MachineError(fmt::format("{}: cannot be made: {}", folder.root().native(), error.message()));
    copyFile(description, folder.description());
    for (const nlohmann::json* reference : {&parts.machine.firmware, &parts.machine.oem})
      if (reference->is_string()) {
        std::string name = reference->get<std::string>();
        copyFile(description.parent_path() / name, folder.root() / name);
      }
    writeParts(folder, parts);
  } catch (const MachineError&) {
    // Leaves the folder as it was found: absent, or empty.
    std::error_code ignored;
    fs::remove_all(folder.root(), ignored);
    if (!made) fs::create_directory(folder.root(), ignored);
    throw;
  }
}

void resetMachine(const MachineFolder& folder) {
  if (!fs::exists(folder.description()))
    throw MachineError(folder.root().native() + ": not a machine folder, it has no machine.json");
  Parts parts = partsOf(folder.description());
  checkWritable(folder);
  writeParts(folder, parts);
}

// The registry first: the restart's record goes last, so a failure leaves it for another try.
void restartMachine(const MachineFolder& folder) {
  MachineDescription machine = readDescription(folder);
  platform::Hive hive = openHive(folder);
  rebuildVolatileKeys(hive, machine);
  if (!hive.changed()) throw MachineError(folder.registry().native() + ": cannot be written");
  rebootMachine(folder);
}

}  // namespace sim
