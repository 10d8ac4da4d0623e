#pragma once
// The two 16-bit sums a firmware file carries over its data bytes.

#include <cstdint>
#include <span>

namespace quillon {

struct Checksums {
  std::uint16_t linear = 0;   // sum of the bytes modulo 65536
  std::uint16_t rotated = 0;  // per byte: rotate right by one bit, then add the byte
};

Checksums computeChecksums(std::span<const std::uint8_t> data);

}  // namespace quillon
