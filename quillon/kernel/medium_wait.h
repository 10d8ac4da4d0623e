#pragma once
// Waiting until the drive reports no disc before anything is done to it.

#include <cstdint>
#include <functional>

#include "quillon/kernel/kernel.h"
#include "quillon/result_code.h"

namespace quillon {

inline constexpr ResultCode kDiscInDrive = 0x02000042;

// Asks `testMedia` (a result, and whether a disc is in) until it answers: 0 without a disc,
// kDiscInDrive with one. Any other result is asked again every 100 ms of the platform's
// clock, and returned once more than `limitMs` have passed.
ResultCode WaitNoMedium(const std::function<ResultCode(bool& medium)>& testMedia, std::uint32_t limitMs);
// The same with the Kernel's TestMedia of drive index `drive`.
ResultCode WaitNoMedium(Kernel& kernel, int drive, std::uint32_t limitMs);

}  // namespace quillon
