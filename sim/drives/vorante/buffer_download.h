#pragma once
// The firmware download of a drive of type 1: WRITE BUFFER mode 1 into the download buffer at
// any offset, READ BUFFER mode 1 back out of it, and WRITE BUFFER mode 5 (no data) to program
// the buffer into the flash once every byte of it has arrived since the last programming.

#include <cstdint>
#include <vector>

#include "sim/drives/emulated_drive.h"
#include "sim/drives/faults.h"
#include "sim/drives/vorante/flash_programmer.h"

namespace sim::vorante {

class BufferDownload {
 public:
  BufferDownload(const FlashPart& part, FirmwareFaultPlan& faults, FlashProgrammer& programmer);

  platform::ScsiOutcome writeBuffer(EmulatedDrive& drive, const platform::ScsiCommand& command);
  platform::ScsiOutcome readBuffer(EmulatedDrive& drive, const platform::ScsiCommand& command);

 private:
  bool fits(std::uint64_t offset, std::uint64_t length) const;
  void ensureBuffer();
  platform::ScsiOutcome download(EmulatedDrive& drive, const platform::ScsiCommand& command);
  platform::ScsiOutcome flash(EmulatedDrive& drive, const platform::ScsiCommand& command);
  void store(std::uint32_t offset, std::span<const std::uint8_t> bytes);

  FlashPart part_;
  FirmwareFaultPlan& faults_;
  FlashProgrammer& programmer_;
  std::vector<std::uint8_t> buffer_;
  std::vector<bool> arrived_;
  std::uint32_t missing_;
};

}  // namespace sim::vorante
