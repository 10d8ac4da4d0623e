#pragma once
// One drive of a running machine: an emulated drive brought to the state the machine's last
// program left it in, with the machine's faults applied in front of it.
//
// A process builds its drives afresh, and an emulated drive takes its faults and its tray
// only from power-on. So the faults are applied here, where what is left of them can be kept,
// the tray and the lock are followed from the commands that move them, and a new process
// brings the drive back to them with the same commands before any program command arrives.
//
// A drive with a flash keeps it in the machine's flash image (flash/A-T-L.bin) of the
// machine this process runs on; a bus made outside a machine keeps it in memory.

#include <filesystem>
#include <memory>
#include <optional>

#include "platform/scsi_bus.h"
#include "sim/drives/emulated_drive.h"
#include "sim/drives/vorante/vorante_personality.h"
#include "sim/machine/drive_models.h"
#include "sim/machine/drive_state.h"

namespace sim {

class MachineDrive {
 public:
  // The power-on attention is taken, as Windows takes it at boot, so the programs' first
  // command finds a settled drive.
  // Its flash lives in `flashFile`, or in memory without one.
  MachineDrive(const DriveState& state, PersonalityMaker make,
               std::optional<std::filesystem::path> flashFile = std::nullopt);

  platform::ScsiOutcome execute(const platform::ScsiCommand& command);
  DriveState state() const;

 private:
  std::optional<platform::ScsiOutcome> injectedFault(const platform::ScsiCommand& command);
  bool takeTimeout();
  void follow(const platform::ScsiCommand& command, const platform::ScsiOutcome& outcome);

  // Shared with the personality, which uses up the faults of its own commands.
  std::shared_ptr<Faults> faultsLeft_;
  // The maker's personality inside core_, whose indicator the state keeps; null for others.
  vorante::VorantePersonality* vorante_ = nullptr;
  EmulatedDrive core_;
  DriveState state_;
};

}  // namespace sim
