#include "sim/machine/machine_drive.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "sim/drives/scsi_opcodes.h"

namespace sim {
namespace {

using platform::DataDirection;
using platform::ScsiCommand;
using platform::ScsiOutcome;

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

// The flash image of a drive of a machine: its file in the machine folder.
class FileFlash final : public vorante::FlashStore {
 public:
  explicit FileFlash(std::filesystem::path file) : file_(std::move(file)) {}

  std::vector<std::uint8_t> read() const override {
    return platform::readWholeFile(file_.native(), kMostFlashBytes).bytes;
  }

  void write(const std::vector<std::uint8_t>& image) override {
    // The drive has taken the firmware; a file that cannot be written must not make the
    // command fail as the program would misread it.
    if (platform::writeWholeFile(file_.native(), image) != platform::FileError::None)
      std::fprintf(stderr, "simpc: %s: cannot be written\n", file_.c_str());
  }

 private:
  std::filesystem::path file_;
};

std::shared_ptr<vorante::FlashStore> flashStore(const std::optional<std::filesystem::path>& file) {
  if (file) return std::make_shared<FileFlash>(*file);
  return std::make_shared<vorante::MemoryFlash>();
}

std::unique_ptr<Personality> personalityOf(const DriveState& state, const std::shared_ptr<Faults>& faults,
                                           PersonalityMaker make, const std::optional<std::filesystem::path>& file,
                                           vorante::VorantePersonality*& maker) {
  if (!make) return nullptr;
  std::unique_ptr<Personality> personality = make({state.device, flashStore(file), faults});
  maker = dynamic_cast<vorante::VorantePersonality*>(personality.get());
  if (maker && state.indicator) maker->restoreIndicator(*state.indicator);
  return personality;
}

}  // namespace

MachineDrive::MachineDrive(const DriveState& state, PersonalityMaker make,
                           std::optional<std::filesystem::path> flashFile)
    : faultsLeft_(std::make_shared<Faults>(state.faultsLeft)),
      core_(state.identity, mechanismOnly(state), personalityOf(state, faultsLeft_, make, flashFile, vorante_)),
      state_(state) {
  send(core_, {kRequestSense, 0, 0, 0, std::uint8_t(platform::kSenseSize), 0});
  if (state.trayOpen) send(core_, {kStartStopUnit, 0, 0, 0, kLoadEject, 0});
  if (state.removalPrevented) send(core_, {kPreventAllowRemoval, 0, 0, 0, kPrevent, 0});
}

ScsiOutcome MachineDrive::execute(const ScsiCommand& command) {
  if (auto fault = injectedFault(command)) return *fault;
  ScsiOutcome outcome = core_.execute(command);
  follow(command, outcome);
  return outcome;
}

DriveState MachineDrive::state() const {
  DriveState state = state_;
  state.identity = core_.identity();
  state.faultsLeft = *faultsLeft_;
  if (vorante_) state.indicator = vorante_->settledIndicator();
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
