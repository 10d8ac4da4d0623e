#include "sim/machine/machine_folder.h"

#include <fmt/format.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "platform/files.h"

namespace sim {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr std::uint64_t kMostJsonBytes = 16ull << 20;

std::string strippedParseError(const json::exception& error) {
  std::string_view text = error.what();
  auto end = text.find("] ");
  return std::string(end == std::string_view::npos ? text : text.substr(end + 2));
}

// The parts of the folder named as the README names them, for messages.
std::string part(const MachineFolder& folder, const fs::path& path) {
  return path.lexically_relative(folder.root()).generic_string();
}

}  // namespace

MachineFolder::MachineFolder(fs::path root) : root_(fs::absolute(root).lexically_normal()) {
  if (!root_.has_filename()) root_ = root_.parent_path();  // "dir/" names the same folder as "dir"
}

fs::path MachineFolder::flashImage(const platform::ScsiAddress& address) const {
  return flash() / fmt::format("{}-{}-{}.bin", address.adapter, address.target, address.lun);
}

json readJsonFile(const fs::path& path) {
  platform::FileBytes file = platform::readWholeFile(path.native(), kMostJsonBytes);
  if (file.error == platform::FileError::NotFound) throw MachineError(path.native() + ": missing or unreadable");
  if (file.error != platform::FileError::None) throw MachineError(path.native() + ": cannot be read");
  try {
    return json::parse(file.bytes.begin(), file.bytes.end());
  } catch (const json::parse_error& error) {
    throw MachineError(path.native() + ": not JSON: " + strippedParseError(error));
  }
}

void writeJsonFile(const fs::path& path, const json& document) {
  std::string text = document.dump(2) + "\n";
  if (platform::writeWholeFile(path.native(), {text.begin(), text.end()}) != platform::FileError::None)
    throw MachineError(path.native() + ": cannot be written");
}

MachineDescription readDescription(const MachineFolder& folder) {
  std::error_code error;
  if (!fs::is_directory(folder.root(), error)) throw MachineError(folder.root().native() + ": no such machine folder");
  if (!fs::exists(folder.description(), error))
    throw MachineError(folder.root().native() + ": not a machine folder, it has no machine.json");
  json document = readJsonFile(folder.description());
  try {
    return parseMachine(document);
  } catch (const DescriptionError& fault) {
    throw MachineError(folder.description().native() + ": " + fault.what());
  }
}

std::vector<DriveState> readDriveStates(const MachineFolder& folder, const MachineDescription& machine) {
  json document = readJsonFile(folder.drives());
  try {
    return parseDrives(document, machine.devices);
  } catch (const DescriptionError& fault) {
    throw MachineError(fmt::format("{}: {}; `simpc reset` makes the state afresh", folder.drives().native(), fault.what()));
  }
}

void writeDriveStates(const MachineFolder& folder, const MachineDescription& machine,
                      const std::vector<DriveState>& states) {
  writeJsonFile(folder.drives(), drivesJson(machine.devices, states));
}

void checkComplete(const MachineFolder& folder, const MachineDescription& machine) {
  std::vector<fs::path> files = {folder.registry(), folder.drives()};
  for (const DeviceDescription& device : machine.devices) files.push_back(folder.flashImage(device.address));
  std::string missing;
  std::error_code error;
  for (const fs::path& path : {folder.files(), folder.state()})
    if (!fs::is_directory(path, error)) missing += (missing.empty() ? "" : ", ") + part(folder, path) + "/";
  for (const fs::path& path : files)
    if (!fs::is_regular_file(path, error)) missing += (missing.empty() ? "" : ", ") + part(folder, path);
  if (!missing.empty())
    throw MachineError(fmt::format("{}: incomplete machine folder, missing {}; `simpc reset {}` makes them again",
                                   folder.root().native(), missing, folder.root().native()));
}

void checkWritable(const MachineFolder& folder) {
  for (const fs::path& path : {folder.root(), folder.state(), folder.flash(), folder.files(), folder.registry()})
    // A part that is missing is refused as missing, or made by a reset.
    if (::access(path.c_str(), W_OK) != 0 && errno != ENOENT)
      throw MachineError(fmt::format("{}: read-only machine folder, {} cannot be written", folder.root().native(),
                                     path == folder.root() ? std::string("the folder") : part(folder, path)));
}

void recordRestart(const MachineFolder& folder, std::uint32_t flags) {
  writeJsonFile(folder.restart(), {{"flags", flags}});
}

std::optional<std::uint32_t> recordedRestart(const MachineFolder& folder) {
  std::error_code error;
  if (!fs::exists(folder.restart(), error)) return std::nullopt;
  json record = readJsonFile(folder.restart());
  const json* flags = record.is_object() && record.contains("flags") ? &record["flags"] : nullptr;
  if (!flags || !flags->is_number_unsigned()) throw MachineError(folder.restart().native() + ": expected {\"flags\": N}");
  return flags->get<std::uint32_t>();
}

void rebootMachine(const MachineFolder& folder) {
  MachineDescription machine = readDescription(folder);
  std::vector<DriveState> states = readDriveStates(folder, machine);
  for (std::size_t i = 0; i < states.size(); ++i) states[i] = restartedState(states[i], machine.devices[i]);
  writeDriveStates(folder, machine, states);
  std::error_code error;
  fs::remove(folder.restart(), error);
  if (error) throw MachineError(folder.restart().native() + ": cannot be removed: " + error.message());
}

}  // namespace sim
