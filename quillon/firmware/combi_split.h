#pragma once
// Files that carry more than one image, cut down to the single file that CheckFW validates:
// a combined file (one header, a CD-R/RW part and a DVD part) and the dual file of drive
// type 6 (two complete single files, one per drive variant).

#include <string>

#include "quillon/firmware/firmware_image.h"

namespace quillon {

inline constexpr std::uint32_t kCombinedFileSize = 786480;
inline constexpr std::uint32_t kDualFileSize = 524368;
inline constexpr std::uint32_t kDualHalfSize = 262184;

// 103 without a severity byte: what an unknown part has always been answered with.
inline constexpr ResultCode kUnknownFirmwarePart = 103;

// Firmware part 100 (CD-R/RW) or 101 (DVD). A file too short to be a combined file is
// refused with kFwIllegalFile and left as it is.
ResultCode SplitCombiFile(FirmwareImage& image, int firmwarePart);

// Keeps the second half when the first byte of the EFTIM text is the value 5, else the first.
// A file that is not exactly a dual file is refused with kFwIllegalFile and left as it is.
ResultCode SelectDualHalf(FirmwareImage& image, const std::string& eftim);

}  // namespace quillon
