#pragma once
// A result code: bits 24-31 the severity (1 information, 2 warning, 3 error, 4 fatal),
// bits 0-23 the message number the catalogue turns into text. 0 is success.

#include <cstdint>

namespace quillon {

using ResultCode = std::uint32_t;

inline constexpr ResultCode kSuccess = 0;

constexpr std::uint32_t messageNumber(ResultCode code) { return code & 0xFFFFFFu; }
constexpr std::uint32_t severity(ResultCode code) { return code >> 24; }

}  // namespace quillon
