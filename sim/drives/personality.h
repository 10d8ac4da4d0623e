#pragma once
// The firmware-specific commands of one maker's drives, added to the common core. The core
// answers the standard commands, unit attention and injected faults first, then asks the
// personality about any operation code it does not know itself.

#include <cstdint>

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
};

}  // namespace sim
