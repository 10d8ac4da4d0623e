#include "sim/drives/sense.h"

namespace sim {
namespace {

constexpr std::uint8_t kCurrentFixed = 0x70;
constexpr std::uint8_t kValid = 0x80;
// Bytes 8 to 17 follow byte 7, so a host that asks for 18 bytes gets the whole record.
constexpr std::uint8_t kAdditionalLength = platform::kSenseSize - 8;

void writeBe32(std::array<std::uint8_t, platform::kSenseSize>& out, std::size_t at, std::uint32_t value) {
  out[at] = static_cast<std::uint8_t>(value >> 24);
  out[at + 1] = static_cast<std::uint8_t>(value >> 16);
  out[at + 2] = static_cast<std::uint8_t>(value >> 8);
  out[at + 3] = static_cast<std::uint8_t>(value);
}

}  // namespace

std::array<std::uint8_t, platform::kSenseSize> fixedSense(const Sense& sense) {
  std::array<std::uint8_t, platform::kSenseSize> out{};
  out[0] = kCurrentFixed;
  if (sense.information) {
    out[0] |= kValid;
    writeBe32(out, 3, *sense.information);
  }
  out[2] = sense.key & 0x0F;
  out[7] = kAdditionalLength;
  out[12] = sense.asc;
  out[13] = sense.ascq;
  return out;
}

}  // namespace sim
