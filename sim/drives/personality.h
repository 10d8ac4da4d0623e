#pragma once
// The firmware-specific commands of one maker's drives, added to the common core. The core
// answers injected faults first, then lets the personality intercept, then answers the
// standard commands and unit attention, and asks the personality about any operation code it
// does not know itself.

#include <cstdint>
#include <optional>

#include "platform/scsi_bus.h"

namespace sim {

class EmulatedDrive;

class Personality {
 public:
  virtual ~Personality() = default;
  virtual bool handles(std::uint8_t opcode) const = 0;
  // Answers with the drive's helpers (good, goodWithData, checkCondition), so that the last
  // sense stays the drive's.
  virtual platform::ScsiOutcome execute(EmulatedDrive& drive, const platform::ScsiCommand& command) = 0;
  // Asked before the core looks at any command, standard ones included: a drive that is
  // programming its flash, or has hung, answers none of them normally. Nothing lets the core go on.
  virtual std::optional<platform::ScsiOutcome> intercept(EmulatedDrive&, const platform::ScsiCommand&) {
    return std::nullopt;
  }
};

}  // namespace sim
