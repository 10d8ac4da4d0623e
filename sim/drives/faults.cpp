#include "sim/drives/faults.h"

#include <utility>

namespace sim {
namespace {

bool take(std::uint32_t& count) {
  if (count == 0) return false;
  --count;
  return true;
}

}  // namespace

platform::ScsiOutcome timedOut() {
  platform::ScsiOutcome outcome;
  outcome.kind = platform::ScsiOutcome::Kind::Timeout;
  return outcome;
}

FaultPlan::FaultPlan(const Faults& faults) : left_(faults) {}

std::optional<platform::ScsiOutcome> FaultPlan::intercept(std::uint64_t commandNumber) {
  bool late = left_.timeoutFromCommand && commandNumber >= *left_.timeoutFromCommand;
  if (left_.stoppedAnswering || late || take(left_.timeoutCommands)) return timedOut();
  if (take(left_.busyCommands)) {
    platform::ScsiOutcome outcome;
    outcome.status = platform::kStatusBusy;
    return outcome;
  }
  return std::nullopt;
}

std::optional<Sense> FaultPlan::takeUnitAttention() {
  if (!take(left_.unitAttentionCommands)) return std::nullopt;
  return kMediumMayHaveChanged;
}

std::optional<Sense> FaultPlan::takeNotReady() {
  if (!take(left_.notReadyCommands)) return std::nullopt;
  return kBecomingReady;
}

FirmwareFaultPlan::FirmwareFaultPlan(std::shared_ptr<Faults> faults) : faults_(std::move(faults)) {}

FirmwareFaultPlan::BlockFate FirmwareFaultPlan::takeBlock(std::uint32_t block) {
  Faults& left = *faults_;
  if (left.timeoutFromBlock && block >= *left.timeoutFromBlock) {
    left.timeoutFromBlock.reset();
    left.stoppedAnswering = true;
    return BlockFate::Hung;
  }
  if (left.downloadDisturbed) return BlockFate::Failed;
  if (left.failingBlock != block) return BlockFate::Received;
  if (!left.failingBlockAlways) left.failingBlock.reset();
  return BlockFate::Failed;
}

void FirmwareFaultPlan::takeReadBack(std::uint64_t offset, std::span<std::uint8_t> data) {
  Faults& left = *faults_;
  if (!left.corruptReadBackAt || *left.corruptReadBackAt < offset || *left.corruptReadBackAt - offset >= data.size())
    return;
  data[*left.corruptReadBackAt - offset] ^= 0xFF;
  if (!left.corruptReadBackAlways) left.corruptReadBackAt.reset();
}

bool FirmwareFaultPlan::stoppedAnswering() const { return faults_->stoppedAnswering; }

}  // namespace sim
