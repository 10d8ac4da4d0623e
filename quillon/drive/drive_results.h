#pragma once
// The result codes of the drive functions.

#include "quillon/result_code.h"

namespace quillon {

inline constexpr ResultCode kDriMemoryError = 0x0400012C;
inline constexpr ResultCode kInvalidDriveHandle = 0x0300012D;
inline constexpr ResultCode kInvalidDriveType = 0x0300012E;
inline constexpr ResultCode kVerificationError = 0x0300012F;
inline constexpr ResultCode kCdrLibraryError = 0x03000133;
inline constexpr ResultCode kAspiSendError = 0x04000135;
inline constexpr ResultCode kNoMediumPresent = 0x01000136;
inline constexpr ResultCode kNoAspiLayer = 0x04000137;

}  // namespace quillon
