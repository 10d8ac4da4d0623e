#include "sim/drives/vorante/drive_profile.h"

#include <fmt/format.h>

#include <algorithm>
#include <initializer_list>
#include <stdexcept>

#include "quillon/firmware/model_table.h"

namespace sim::vorante {
namespace {

constexpr std::uint32_t kCdPartLength = 524288;
constexpr std::uint32_t kDvdPartLength = 262144;
constexpr std::uint32_t kDvdFirstBlock = kCdPartLength / kVendorBlockSize;
// Drive types 13 and 15 take plain files of any length; their release files are 256 KiB.
constexpr std::uint32_t kOpenLengthFlash = 262144;

bool isOneOf(int driveType, std::initializer_list<int> types) {
  return std::find(types.begin(), types.end(), driveType) != types.end();
}

// Drives with a CD-R/RW and a DVD firmware behind one product identity.
bool combined(int driveType) { return isOneOf(driveType, {14, 25, 30}); }

// The drives that came before the repeated checksums know only the short download form.
bool shortFormOnly(int driveType) { return driveType < 7 || driveType == 8 || driveType == 11; }

}  // namespace

std::uint32_t DriveProfile::flashSize() const {
  std::uint32_t size = 0;
  for (const FlashPart& part : parts) size = std::max(size, part.offset + part.length);
  return size;
}

bool isVoranteDriveType(int driveType) {
  quillon::ChecksumClass checksums = quillon::checksumClass(driveType);
  return checksums == quillon::ChecksumClass::One || checksums == quillon::ChecksumClass::Two;
}

DriveProfile profileOf(int driveType) {
  if (!isVoranteDriveType(driveType))
    throw std::invalid_argument(fmt::format("drive type {} is not one of the maker's own drives", driveType));
  DriveProfile profile;
  profile.driveType = driveType;
  profile.bufferCommands = driveType == 1;
  profile.flashBoot = driveType == 2;
  profile.longForm = !shortFormOnly(driveType);
  if (combined(driveType)) {
    profile.parts = {{0, kCdPartLength, 0, RevisionField::Revision},
                     {kCdPartLength, kDvdPartLength, kDvdFirstBlock, RevisionField::VendorSpecific}};
  } else {
    profile.parts = {{0, quillon::requiredLength(driveType).value_or(kOpenLengthFlash), 0, RevisionField::Revision}};
  }
  return profile;
}

}  // namespace sim::vorante
