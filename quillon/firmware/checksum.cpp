#include "quillon/firmware/checksum.h"

namespace quillon {

Checksums computeChecksums(std::span<const std::uint8_t> data) {
  // One pass: the rotated sum is a serial chain of a rotate and an add per byte, and the
  // linear add fits into the cycles that chain leaves free.
  std::uint32_t linear = 0;
  std::uint16_t rotated = 0;
  for (std::uint8_t byte : data) {
    linear += byte;
    rotated = static_cast<std::uint16_t>(rotated >> 1 | rotated << 15);
    rotated = static_cast<std::uint16_t>(rotated + byte);
  }
  return {static_cast<std::uint16_t>(linear), rotated};
}

}  // namespace quillon
