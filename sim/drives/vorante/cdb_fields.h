#pragma once
// Fields of the CDBs the maker's drives take, most significant byte first.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace sim::vorante {

inline std::uint16_t be16(std::span<const std::uint8_t> cdb, std::size_t at) {
  return static_cast<std::uint16_t>(cdb[at] << 8 | cdb[at + 1]);
}

inline std::uint32_t be24(std::span<const std::uint8_t> cdb, std::size_t at) {
  return std::uint32_t{cdb[at]} << 16 | std::uint32_t{cdb[at + 1]} << 8 | cdb[at + 2];
}

inline bool allZero(std::span<const std::uint8_t> bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t byte) { return byte == 0; });
}

// The maker's own commands are ATAPI packets of twelve bytes.
inline constexpr std::size_t kVendorCdbLength = 12;

}  // namespace sim::vorante
