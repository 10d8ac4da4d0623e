#pragma once
// The sense the maker's drives give for their firmware commands, beside the core's.

#include "sim/drives/sense.h"

namespace sim::vorante {

inline constexpr std::uint8_t kAbortedCommand = 0x0B;

inline constexpr Sense kParameterListLengthError{sense_key::kIllegalRequest, 0x1A, 0x00};
// The data received does not add up to the checksums the download named.
inline constexpr Sense kInvalidFieldInParameterList{sense_key::kIllegalRequest, 0x26, 0x00};
// A block out of its place, or the flash command before the whole image has arrived.
inline constexpr Sense kCommandSequenceError{sense_key::kIllegalRequest, 0x2C, 0x00};
// A block garbled on its way to the drive.
inline constexpr Sense kDataPhaseError{kAbortedCommand, 0x4B, 0x00};

}  // namespace sim::vorante
