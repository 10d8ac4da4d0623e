#pragma once
// Faults a machine injects into one drive, so that the programs' retry and error paths can be
// tried without a misbehaving drive at hand. Each count is used up one command at a time.

#include <cstdint>
#include <optional>

#include "platform/scsi_bus.h"
#include "sim/drives/sense.h"

namespace sim {

struct Faults {
  bool mediumPresent = false;               // a disc in the closed tray from power-on
  std::uint32_t busyCommands = 0;           // answered with BUSY status
  std::uint32_t notReadyCommands = 0;       // answered with 02/04/01
  std::uint32_t unitAttentionCommands = 0;  // answered with 06/28/00
  std::uint32_t timeoutCommands = 0;        // never answered
  // Numbered from 1 in the order the drive receives them; this one and all later time out.
  std::optional<std::uint64_t> timeoutFromCommand = std::nullopt;
};

class FaultPlan {
 public:
  explicit FaultPlan(const Faults& faults);

  // A time-out or BUSY that takes the command before the drive looks at it.
  std::optional<platform::ScsiOutcome> intercept(std::uint64_t commandNumber);
  // Conditions for commands that report unit attention and readiness (not INQUIRY or
  // REQUEST SENSE): asked in this order, as a drive puts attention before readiness.
  std::optional<Sense> takeUnitAttention();
  std::optional<Sense> takeNotReady();

 private:
  Faults left_;
};

}  // namespace sim
