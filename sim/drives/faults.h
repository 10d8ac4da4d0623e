#pragma once
// Faults a machine injects into one drive, so that the programs' retry and error paths can be
// tried without a misbehaving drive at hand. Each count is used up one command at a time.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

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
  bool stoppedAnswering = false;  // no command is answered any more, as by a drive that hung

  // The firmware download, which a maker's personality applies. Blocks are numbered from 1 by
  // their place in the firmware: WRITE BUFFER offset / length + 1, vendor block byte + 1.
  std::optional<std::uint32_t> failingBlock = std::nullopt;  // answered with CHECK CONDITION once,
  bool failingBlockAlways = false;                           // or every time it is sent
  // READ BUFFER answers the download buffer's byte at this offset changed, once or every time.
  std::optional<std::uint32_t> corruptReadBackAt = std::nullopt;
  bool corruptReadBackAlways = false;
  // The drive hangs when this block arrives: that command and every later one time out.
  std::optional<std::uint32_t> timeoutFromBlock = std::nullopt;
  // Windows has bus-master DMA or autorun in effect for a drive they disturb: every block is
  // answered with CHECK CONDITION. Set by the machine from its registry, never kept.
  bool downloadDisturbed = false;
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

// The firmware download's faults, used up as the blocks arrive. They are shared with whoever
// keeps what is left of a drive's faults (a machine keeps them from one program to the next).
class FirmwareFaultPlan {
 public:
  enum class BlockFate { Received, Failed, Hung };

  explicit FirmwareFaultPlan(std::shared_ptr<Faults> faults);

  BlockFate takeBlock(std::uint32_t block);
  // Changes the corrupt byte when it lies in the `data` read back from `offset`.
  void takeReadBack(std::uint64_t offset, std::span<std::uint8_t> data);
  bool stoppedAnswering() const;

 private:
  std::shared_ptr<Faults> faults_;
};

platform::ScsiOutcome timedOut();

}  // namespace sim
