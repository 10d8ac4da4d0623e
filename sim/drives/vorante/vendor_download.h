#pragma once
// The vendor download command 0xFA of drive types 2 and above. Bytes 1-4 carry the linear and
// rotated checksums of the whole firmware part, byte 5 the block byte, byte 6 is 0x01; in the
// short form bytes 7-11 are zero, in the long form bytes 7-10 repeat bytes 1-4. The data is
// one block of kVendorBlockSize bytes.
//
// The drive collects a part's blocks in order from its first block byte. It knows the part is
// complete when the part's flash is full, and checks the named checksums against what arrived.
// Once every part of its flash has arrived with matching checksums (a combined drive takes its
// CD-R/RW part, then its DVD part) it programs them all at once.

#include <cstdint>
#include <optional>
#include <vector>

#include "quillon/firmware/checksum.h"
#include "sim/drives/emulated_drive.h"
#include "sim/drives/faults.h"
#include "sim/drives/vorante/drive_profile.h"
#include "sim/drives/vorante/flash_programmer.h"

namespace sim::vorante {

class VendorDownload {
 public:
  VendorDownload(const DriveProfile& profile, FirmwareFaultPlan& faults, FlashProgrammer& programmer);

  platform::ScsiOutcome execute(EmulatedDrive& drive, const platform::ScsiCommand& command);

 private:
  struct PartDownload {
    FlashPart part;
    std::vector<std::uint8_t> data;
    std::uint32_t received = 0;  // blocks, in order from the part's first
    quillon::Checksums named;
    bool complete = false;  // all blocks in, checksums matching: waits for the other parts
  };

  bool formTaken(std::span<const std::uint8_t> cdb) const;
  PartDownload* partOf(std::uint32_t block);
  std::optional<Sense> sequenceFault(const PartDownload& download, std::uint32_t block,
                                     const quillon::Checksums& named) const;
  platform::ScsiOutcome receive(EmulatedDrive& drive, PartDownload& download, std::uint32_t block,
                                std::span<const std::uint8_t> data);
  platform::ScsiOutcome finish(EmulatedDrive& drive, PartDownload& download);

  bool longForm_;
  FirmwareFaultPlan& faults_;
  FlashProgrammer& programmer_;
  std::vector<PartDownload> parts_;
};

}  // namespace sim::vorante
