#pragma once
// The SCSI/MMC core of an emulated optical drive: INQUIRY, TEST UNIT READY, START STOP UNIT,
// PREVENT ALLOW MEDIUM REMOVAL and REQUEST SENSE, unit attention after power-on, reset and
// medium change, injected faults, and a personality for the maker's own commands.
// One command at a time, as the transports send them.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "platform/scsi_bus.h"
#include "sim/drives/faults.h"
#include "sim/drives/identity.h"
#include "sim/drives/mechanism.h"
#include "sim/drives/personality.h"
#include "sim/drives/sense.h"

namespace sim {

class EmulatedDrive {
 public:
  // Powers the drive on. Throws std::invalid_argument for an identity it could not report.
  explicit EmulatedDrive(Identity identity, Faults faults = {},
                         std::unique_ptr<Personality> personality = nullptr);

  platform::ScsiOutcome execute(const platform::ScsiCommand& command);

  // Both raise 06/29/00 for the next command and drop the removal lock and the last sense;
  // a power-on also spins a disc up anew, while after a reset it keeps turning.
  void powerOn();
  void reset();

  const Identity& identity() const;
  // After an update the drive reports its new revision; throws as the constructor does.
  void setIdentity(Identity identity);

  // For personalities: GOOD, clearing the last sense.
  platform::ScsiOutcome good();
  // GOOD with at most `allocationLength` bytes of `data`, never more than the host's buffer.
  platform::ScsiOutcome goodWithData(const platform::ScsiCommand& command,
                                     std::span<const std::uint8_t> data, std::size_t allocationLength);
  // CHECK CONDITION with the sense as auto-sense, kept for REQUEST SENSE.
  platform::ScsiOutcome checkCondition(const Sense& sense);

 private:
  using Handler = platform::ScsiOutcome (EmulatedDrive::*)(const platform::ScsiCommand&);
  static Handler coreHandler(std::uint8_t opcode);

  std::optional<Sense> takeCondition(std::uint8_t opcode);
  platform::ScsiOutcome dispatch(const platform::ScsiCommand& command);
  platform::ScsiOutcome inquiry(const platform::ScsiCommand& command);
  platform::ScsiOutcome testUnitReady(const platform::ScsiCommand& command);
  platform::ScsiOutcome startStopUnit(const platform::ScsiCommand& command);
  platform::ScsiOutcome preventAllowRemoval(const platform::ScsiCommand& command);
  platform::ScsiOutcome requestSense(const platform::ScsiCommand& command);

  Identity identity_;
  FaultPlan faults_;
  Mechanism mechanism_;
  std::unique_ptr<Personality> personality_;
  std::optional<Sense> lastSense_;
  std::optional<Sense> unitAttention_;
  std::uint64_t commandNumber_ = 0;
};

// True when the host's buffer agrees with a command that moves `transferLength` bytes in
// `direction`. The core has already checked the CDB length of standard operation codes.
bool directionFits(const platform::ScsiCommand& command, platform::DataDirection direction,
                   std::size_t transferLength);

}  // namespace sim
