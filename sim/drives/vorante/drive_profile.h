#pragma once
// What a drive type of the maker's drives is made of: the commands its firmware takes, and
// the parts of its flash memory, each programmed from a download of its own.

#include <cstdint>
#include <vector>

namespace sim::vorante {

// The vendor download moves the firmware in blocks of this size; its CDB names no length.
inline constexpr std::uint32_t kVendorBlockSize = 16384;

// The INQUIRY text that shows the revision of a part's firmware.
enum class RevisionField { Revision, VendorSpecific };

struct FlashPart {
  std::uint32_t offset = 0;  // in the flash image
  std::uint32_t length = 0;
  std::uint32_t firstBlock = 0;  // block byte of the part's first vendor download block
  RevisionField revision = RevisionField::Revision;

  std::uint32_t blocks() const { return length / kVendorBlockSize; }
  bool holdsBlock(std::uint32_t block) const { return block >= firstBlock && block - firstBlock < blocks(); }
};

struct DriveProfile {
  int driveType = 0;
  bool bufferCommands = false;   // WRITE BUFFER, READ BUFFER and the flash command instead of 0xFA
  bool flashBoot = false;        // takes 0xF6 0x4E
  bool longForm = false;         // takes 0xFA with the checksums repeated in bytes 7-10 as well
  std::vector<FlashPart> parts;  // one, or a combined drive's CD-R/RW part and then its DVD part

  std::uint32_t flashSize() const;
};

// The drive types the maker's own flasher updates; the others are other makers' drives.
bool isVoranteDriveType(int driveType);

// Throws std::invalid_argument for a drive type that is not one of the maker's.
DriveProfile profileOf(int driveType);

}  // namespace sim::vorante
