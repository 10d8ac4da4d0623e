#include "quillon/firmware/checksum.h"

namespace quillon {

Checksums computeChecksums(std::span<const std::uint8_t> data) {
  // Two separate passes: the linear sum vectorises, the rotated one is a serial chain
  // of one rotate and one add per byte.
  std::uint32_t linear = 0;
  for (std::uint8_t byte : data) linear += byte;
  std::uint16_t rotated = 0;
  for (std::uint8_t byte : data) {
    rotated = static_cast<std::uint16_t>(rotated >> 1 | rotated << 15);
    rotated = static_cast<std::uint16_t>(rotated + byte);
  }
  return {static_cast<std::uint16_t>(linear), rotated};
}

}  // namespace quillon
