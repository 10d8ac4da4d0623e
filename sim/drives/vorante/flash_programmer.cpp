#include "sim/drives/vorante/flash_programmer.h"

#include <algorithm>
#include <utility>

#include "platform/clock.h"
#include "sim/drives/vorante/firmware_revision.h"

namespace sim::vorante {
namespace {

constexpr std::uint8_t kErased = 0xFF;
constexpr std::uint64_t kMiB = 1 << 20;
// What a drive shows for a firmware without an identification block.
constexpr char kUnknownRevision[] = "????";

void showRevision(EmulatedDrive& drive, const FlashPart& part, std::span<const std::uint8_t> data) {
  Identity identity = drive.identity();
  std::string revision = firmwareRevision(data).value_or(kUnknownRevision);
  (part.revision == RevisionField::Revision ? identity.revision : identity.vendorSpecific) = std::move(revision);
  drive.setIdentity(std::move(identity));
}

}  // namespace

std::uint32_t programmingMs(std::size_t bytes) {
  return static_cast<std::uint32_t>(std::uint64_t{bytes} * kProgrammingMsPerMiB / kMiB);
}

FlashProgrammer::FlashProgrammer(std::shared_ptr<FlashStore> flash, std::uint32_t flashSize)
    : flash_(std::move(flash)), flashSize_(flashSize) {}

void FlashProgrammer::program(EmulatedDrive& drive, std::span<const PartImage> parts) {
  std::vector<std::uint8_t> image = flash_->read();
  // An image of another size came from elsewhere; what is not programmed now keeps what it can.
  image.resize(flashSize_, kErased);
  std::size_t bytes = 0;
  for (const PartImage& part : parts) {
    std::copy(part.data.begin(), part.data.end(), image.begin() + part.part.offset);
    bytes += part.data.size();
  }
  flash_->write(image);
  for (const PartImage& part : parts) showRevision(drive, part.part, part.data);
  start_ = platform::clock().tickCount();
  duration_ = programmingMs(bytes);
}

bool FlashProgrammer::busy() {
  if (duration_ == 0) return false;
  // Once over, so that the tick count wrapping round cannot bring the programming back.
  if (platform::clock().tickCount() - start_ >= duration_) duration_ = 0;
  return duration_ != 0;
}

}  // namespace sim::vorante
