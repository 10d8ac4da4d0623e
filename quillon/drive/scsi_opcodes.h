#pragma once
// The operation codes of the commands Quillon sends: the standard ones, and the maker's own
// with the numbers its READ NUMBER command reads.

#include <cstdint>

namespace quillon {

inline constexpr std::uint8_t kTestUnitReady = 0x00;
inline constexpr std::uint8_t kRequestSense = 0x03;
inline constexpr std::uint8_t kInquiry = 0x12;
inline constexpr std::uint8_t kStartStopUnit = 0x1B;
inline constexpr std::uint8_t kPreventAllowRemoval = 0x1E;
inline constexpr std::uint8_t kWriteBuffer = 0x3B;
inline constexpr std::uint8_t kReadBuffer = 0x3C;

inline constexpr std::uint8_t kEnterDiagnostics = 0xF0;
inline constexpr std::uint8_t kLeaveDiagnostics = 0xF1;
inline constexpr std::uint8_t kEnableFlashBoot = 0xF6;
inline constexpr std::uint8_t kReadNumber = 0xF8;
inline constexpr std::uint8_t kVendorDownload = 0xFA;
inline constexpr std::uint8_t kFactorySetting = 0xFF;

inline constexpr std::uint8_t kSkewNumber = 0xD0;
inline constexpr std::uint8_t kEftimNumber = 0xF6;

}  // namespace quillon
