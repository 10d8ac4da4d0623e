#pragma once
// Programs a downloaded firmware part into the flash and boots it: from then on the drive
// reports the revision of the new firmware, and while the flash is being programmed (about
// kProgrammingMsPerMiB per MiB on platform::clock()) it answers nothing else.
//
// The image is written when programming starts: the host sends nothing after its last block,
// so a flash written only once a later command showed the time had passed might never be.

#include <cstdint>
#include <memory>
#include <span>

#include "sim/drives/emulated_drive.h"
#include "sim/drives/vorante/drive_profile.h"
#include "sim/drives/vorante/flash_store.h"

namespace sim::vorante {

inline constexpr std::uint32_t kProgrammingMsPerMiB = 4000;

std::uint32_t programmingMs(std::size_t bytes);

class FlashProgrammer {
 public:
  FlashProgrammer(std::shared_ptr<FlashStore> flash, std::uint32_t flashSize);

  struct PartImage {
    const FlashPart& part;
    std::span<const std::uint8_t> data;
  };
  // All parts in one go, so that the flash never holds one part new and another old.
  void program(EmulatedDrive& drive, std::span<const PartImage> parts);
  bool busy();

 private:
  std::shared_ptr<FlashStore> flash_;
  std::uint32_t flashSize_;
  std::uint32_t start_ = 0;
  std::uint32_t duration_ = 0;
};

}  // namespace sim::vorante
