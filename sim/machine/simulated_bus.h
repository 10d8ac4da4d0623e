#pragma once
// The SCSI bus of a simulated PC: the machine's host adapters, and its drives at their
// addresses and drive letters, each command routed by (adapter, bus, target, LUN).

#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "platform/scsi_bus.h"
#include "sim/machine/description.h"
#include "sim/machine/machine_drive.h"

namespace sim {

class SimulatedBus final : public platform::ScsiBus {
 public:
  // Called with every drive's state after a command that changed one, so it outlives the process.
  using StateSink = std::function<void(const std::vector<DriveState>&)>;

  // Where a drive's flash image lives; without it the drives keep their flash in memory.
  using FlashFiles = std::function<std::filesystem::path(const platform::ScsiAddress&)>;

  // `states` holds one entry per device of the machine, in its order.
  SimulatedBus(const MachineDescription& machine, const std::vector<DriveState>& states, StateSink save,
               const FlashFiles& flashFiles = {});

  platform::ScsiOutcome execute(const platform::ScsiAddress& address, const platform::ScsiCommand& command) override;
  std::vector<platform::HostAdapter> adapters() const override;
  std::optional<int> deviceType(const platform::ScsiAddress& address) const override;
  std::optional<char> driveLetter(const platform::ScsiAddress& address) const override;
  std::optional<platform::ScsiAddress> addressOfLetter(char letter) const override;

  std::vector<DriveState> states() const;

 private:
  struct Slot {
    platform::ScsiAddress address;
    std::optional<char> letter;
    int deviceType;
    MachineDrive drive;
  };
  const Slot* find(const platform::ScsiAddress& address) const;

  std::vector<platform::HostAdapter> adapters_;
  std::vector<Slot> slots_;
  StateSink save_;
};

}  // namespace sim
