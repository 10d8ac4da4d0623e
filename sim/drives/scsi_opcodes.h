#pragma once
// The operation codes of the SCSI and MMC commands the emulated drives answer, and the bits
// of the command fields they look at.

#include <cstdint>

namespace sim {

inline constexpr std::uint8_t kTestUnitReady = 0x00;
inline constexpr std::uint8_t kRequestSense = 0x03;
inline constexpr std::uint8_t kInquiry = 0x12;
inline constexpr std::uint8_t kStartStopUnit = 0x1B;
inline constexpr std::uint8_t kPreventAllowRemoval = 0x1E;
inline constexpr std::uint8_t kWriteBuffer = 0x3B;
inline constexpr std::uint8_t kReadBuffer = 0x3C;

// START STOP UNIT, byte 4.
inline constexpr std::uint8_t kStart = 0x01;
inline constexpr std::uint8_t kLoadEject = 0x02;
inline constexpr std::uint8_t kPowerCondition = 0xF0;
// PREVENT ALLOW MEDIUM REMOVAL, byte 4.
inline constexpr std::uint8_t kPrevent = 0x01;

}  // namespace sim
