#pragma once
// A machine on disk:
//   machine.json       the description (and the firmware set's file it may name)
//   registry.reg       the registry hive, REGEDIT4
//   flash/A-T-L.bin    each drive's flash image, by adapter, target and LUN
//   files/             the user's current folder, with the firmware files
//   state/             what the running machine remembers: drives.json, restart, and the
//                      stand-in libraries' own state

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/scsi_bus.h"
#include "sim/machine/description.h"
#include "sim/machine/drive_state.h"

namespace sim {

// A machine folder that cannot be used; the message says which file and what to do.
class MachineError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class MachineFolder {
 public:
  explicit MachineFolder(std::filesystem::path root);

  const std::filesystem::path& root() const { return root_; }
  std::filesystem::path description() const { return root_ / "machine.json"; }
  std::filesystem::path registry() const { return root_ / "registry.reg"; }
  std::filesystem::path flash() const { return root_ / "flash"; }
  std::filesystem::path flashImage(const platform::ScsiAddress& address) const;
  std::filesystem::path files() const { return root_ / "files"; }
  std::filesystem::path state() const { return root_ / "state"; }
  std::filesystem::path drives() const { return state() / "drives.json"; }
  std::filesystem::path restart() const { return state() / "restart"; }

 private:
  std::filesystem::path root_;  // absolute, so that it means the same after a change of folder
};

// Throws MachineError naming the file, with the JSON path inside it when the content is at fault.
nlohmann::json readJsonFile(const std::filesystem::path& path);
void writeJsonFile(const std::filesystem::path& path, const nlohmann::json& document);

MachineDescription readDescription(const MachineFolder& folder);
std::vector<DriveState> readDriveStates(const MachineFolder& folder, const MachineDescription& machine);
void writeDriveStates(const MachineFolder& folder, const MachineDescription& machine,
                      const std::vector<DriveState>& states);

// A folder a program can run on: every part present (a half-deleted one is refused) and
// the parts that change writable. Throw MachineError.
void checkComplete(const MachineFolder& folder, const MachineDescription& machine);
void checkWritable(const MachineFolder& folder);

// The restart a program asked for, until the launcher has carried it out.
void recordRestart(const MachineFolder& folder, std::uint32_t flags);
std::optional<std::uint32_t> recordedRestart(const MachineFolder& folder);
// Power-on state for every drive (lock released, faults armed again), the record removed.
void rebootMachine(const MachineFolder& folder);

}  // namespace sim
