#include "sim/machine/machine_drive.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/host.h"
#include "sim/machine/machine_host.h"

namespace sim {
namespace {

using platform::DataDirection;
using platform::ScsiCommand;
using platform::ScsiOutcome;

constexpr std::uint8_t kRequestSense = 0x03;
constexpr std::uint8_t kInquiry = 0x12;
constexpr std::uint8_t kStartStopUnit = 0x1B;
constexpr std::uint8_t kPreventAllowRemoval = 0x1E;
constexpr std::uint8_t kStart = 0x01;
constexpr std::uint8_t kLoadEject = 0x02;
constexpr std::uint8_t kPowerCondition = 0xF0;
constexpr std::uint8_t kPrevent = 0x01;
constexpr std::uint64_t kMostFlashBytes = 64ull << 20;

bool take(std::uint32_t& count) {
  if (count == 0) return false;
  --count;
  return true;
}

void send(EmulatedDrive& drive, std::array<std::uint8_t, 6> cdb) {
  std::vector<std::uint8_t> data(cdb[0] == kRequestSense ? platform::kSenseSize : 0);
  drive.execute({cdb, data.empty() ? DataDirection::None : DataDirection::In, data});
}

Faults mechanismOnly(const DriveState& state) {
  Faults faults;
  faults.mediumPresent = state.medium;
  return faults;
}

// The flash image of a drive of the machine this process runs on. The machine is looked up
// when the flash is used, since its host is still being attached while its bus makes the
// drives; outside a machine the flash lives in memory.
class MachineFlash final : public vorante::FlashStore {
 public:
  explicit MachineFlash(platform::ScsiAddress address) : address_(address) {}

  std::vector<std::uint8_t> read() const override {
    std::optional<std::filesystem::path> image = file();
    if (!image) return memory_;
    return platform::readWholeFile(image->native(), kMostFlashBytes).bytes;
  }

  void write(const std::vector<std::uint8_t>& image) override {
    std::optional<std::filesystem::path> path = file();
    if (!path) {
      memory_ = image;
      return;
    }
    // The drive has taken the firmware; a file that cannot be written must not make the
    // command fail as the program would misread it.
    if (platform::writeWholeFile(path->native(), image) != platform::FileError::None)
      std::fprintf(stderr, "simpc: %s: cannot be written\n", path->c_str());
  }

 private:
  std::optional<std::filesystem::path> file() const {
    const auto* machine = dynamic_cast<const MachineHost*>(&platform::host());
    if (!machine) return std::nullopt;
    return machine->folder().flashImage(address_);
  }

  platform::ScsiAddress address_;
  std::vector<std::uint8_t> memory_;
};

MadePersonality personalityOf(const DriveState& state, const std::shared_ptr<Faults>& faults, PersonalityMaker make) {
  if (!make) return {};
  return make({state.device, std::make_shared<MachineFlash>(state.device.address), faults});
}

}  // namespace

MachineDrive::MachineDrive(const DriveState& state, PersonalityMaker make)
    : faultsLeft_(std::make_shared<Faults>(state.faultsLeft)),
      made_(personalityOf(state, faultsLeft_, make)),
      core_(state.identity, mechanismOnly(state), std::move(made_.personality)),
      state_(state) {
  send(core_, {kRequestSense, 0, 0, 0, std::uint8_t(platform::kSenseSize), 0});
  if (state.trayOpen) send(core_, {kStartStopUnit, 0, 0, 0, kLoadEject, 0});
  if (state.removalPrevented) send(core_, {kPreventAllowRemoval, 0, 0, 0, kPrevent, 0});
}

ScsiOutcome MachineDrive::execute(const ScsiCommand& command) {
  if (auto fault = injectedFault(command)) return *fault;
  if (made_.first)
    if (auto answer = made_.first(core_, command)) return *answer;
  ScsiOutcome outcome = core_.execute(command);
  follow(command, outcome);
  return outcome;
}

DriveState MachineDrive::state() const {
  DriveState state = state_;
  state.identity = core_.identity();
  state.faultsLeft = *faultsLeft_;
  return state;
}

// In the order the drive itself applies them: what takes the command before the drive looks
// at it, then conditions, which INQUIRY and REQUEST SENSE never report.
std::optional<ScsiOutcome> MachineDrive::injectedFault(const ScsiCommand& command) {
  Faults& left = *faultsLeft_;
  ScsiOutcome outcome;
  if (takeTimeout()) {
    outcome.kind = ScsiOutcome::Kind::Timeout;
    return outcome;
  }
  if (take(left.busyCommands)) {
    outcome.status = platform::kStatusBusy;
    return outcome;
  }
  if (command.cdb.empty() || command.cdb[0] == kInquiry || command.cdb[0] == kRequestSense) return std::nullopt;
  if (take(left.unitAttentionCommands)) return core_.checkCondition(kMediumMayHaveChanged);
  if (take(left.notReadyCommands)) return core_.checkCondition(kBecomingReady);
  return std::nullopt;
}

// The first command to time out is kept as a count of commands from the next one, so that
// it means the same in the next process.
bool MachineDrive::takeTimeout() {
  Faults& left = *faultsLeft_;
  std::optional<std::uint64_t>& from = left.timeoutFromCommand;
  if (left.stoppedAnswering || (from && *from <= 1)) return true;
  if (from) --*from;
  return take(left.timeoutCommands);
}

void MachineDrive::follow(const ScsiCommand& command, const ScsiOutcome& outcome) {
  bool good = outcome.kind == ScsiOutcome::Kind::Done && outcome.status == platform::kStatusGood;
  if (!good || command.cdb.size() < 6) return;
  std::uint8_t flags = command.cdb[4];
  if (command.cdb[0] == kStartStopUnit && !(flags & kPowerCondition) && (flags & kLoadEject))
    state_.trayOpen = !(flags & kStart);
  if (command.cdb[0] == kPreventAllowRemoval) state_.removalPrevented = flags & kPrevent;
}

}  // namespace sim
