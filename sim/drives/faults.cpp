#include "sim/drives/faults.h"

namespace sim {
namespace {

bool take(std::uint32_t& count) {
  if (count == 0) return false;
  --count;
  return true;
}

}  // namespace

FaultPlan::FaultPlan(const Faults& faults) : left_(faults) {}

std::optional<platform::ScsiOutcome> FaultPlan::intercept(std::uint64_t commandNumber) {
  bool late = left_.timeoutFromCommand && commandNumber >= *left_.timeoutFromCommand;
  if (late || take(left_.timeoutCommands)) {
    platform::ScsiOutcome outcome;
    outcome.kind = platform::ScsiOutcome::Kind::Timeout;
    return outcome;
  }
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

}  // namespace sim
