#include "sim/machine/simulated_bus.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <utility>

#include "sim/machine/drive_models.h"

namespace sim {
namespace {

// ASPI reports 8 or 16 targets; an IDE channel or a parallel port reports the narrow width
// and simply has no device behind the targets it lacks.
int reportedTargets(const AdapterDescription& adapter) { return adapter.targets > 8 ? 16 : 8; }

template <typename Slots>
auto findSlot(Slots& slots, const platform::ScsiAddress& address) -> decltype(&slots.front()) {
  auto found = std::find_if(slots.begin(), slots.end(), [&](const auto& slot) { return slot.address == address; });
  return found == slots.end() ? nullptr : &*found;
}

}  // namespace

SimulatedBus::SimulatedBus(const MachineDescription& machine, const std::vector<DriveState>& states, StateSink save,
                           const FlashFiles& flashFiles)
    : save_(std::move(save)) {
  if (states.size() != machine.devices.size()) throw std::invalid_argument("one drive state per device expected");
  for (const AdapterDescription& adapter : machine.adapters)
    adapters_.push_back({adapter.number, adapter.identifier, reportedTargets(adapter)});
  slots_.reserve(machine.devices.size());
  for (std::size_t i = 0; i < machine.devices.size(); ++i) {
    const DeviceDescription& device = machine.devices[i];
    slots_.push_back({device.address, device.letter, device.deviceType,
                      MachineDrive(states[i], findDriveModel(device.model)->make,
                                   flashFiles ? std::optional(flashFiles(device.address)) : std::nullopt)});
  }
}

platform::ScsiOutcome SimulatedBus::execute(const platform::ScsiAddress& address, const platform::ScsiCommand& command) {
  Slot* slot = findSlot(slots_, address);
  if (!slot) return {platform::ScsiOutcome::Kind::NoDevice};
  DriveState before = slot->drive.state();
  platform::ScsiOutcome outcome = slot->drive.execute(command);
  if (save_ && !sameState(before, slot->drive.state())) save_(states());
  return outcome;
}

std::vector<platform::HostAdapter> SimulatedBus::adapters() const { return adapters_; }

std::optional<int> SimulatedBus::deviceType(const platform::ScsiAddress& address) const {
  const Slot* slot = find(address);
  return slot ? std::optional(slot->deviceType) : std::nullopt;
}

std::optional<char> SimulatedBus::driveLetter(const platform::ScsiAddress& address) const {
  const Slot* slot = find(address);
  return slot ? slot->letter : std::nullopt;
}

std::optional<platform::ScsiAddress> SimulatedBus::addressOfLetter(char letter) const {
  letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  auto found = std::find_if(slots_.begin(), slots_.end(), [&](const Slot& slot) { return slot.letter == letter; });
  return found == slots_.end() ? std::nullopt : std::optional(found->address);
}

std::vector<DriveState> SimulatedBus::states() const {
  std::vector<DriveState> states;
  for (const Slot& slot : slots_) states.push_back(slot.drive.state());
  return states;
}

const SimulatedBus::Slot* SimulatedBus::find(const platform::ScsiAddress& address) const {
  return findSlot(slots_, address);
}

}  // namespace sim
