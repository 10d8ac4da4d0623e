#pragma once
// The maker's own commands, and the numbers its READ NUMBER command reads.

#include <cstdint>

namespace sim::vorante {

inline constexpr std::uint8_t kEnterDiagnostics = 0xF0;
inline constexpr std::uint8_t kLeaveDiagnostics = 0xF1;
inline constexpr std::uint8_t kEnableFlashBoot = 0xF6;
inline constexpr std::uint8_t kReadNumber = 0xF8;
inline constexpr std::uint8_t kVendorDownload = 0xFA;
inline constexpr std::uint8_t kFactorySetting = 0xFF;

inline constexpr std::uint8_t kSkewNumber = 0xD0;
inline constexpr std::uint8_t kEftimNumber = 0xF6;

}  // namespace sim::vorante
