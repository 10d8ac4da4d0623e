#pragma once
// The Kernel's small decisions about OEM records and firmware files: revision patterns,
// skew patterns, the date text of a listed file and the logo name.

#include <cstdint>
#include <string>
#include <string_view>

#include "quillon/kernel/oem_file.h"
#include "quillon/result_code.h"

namespace quillon {

inline constexpr ResultCode kKnlNoDriveSelected = 0x04000190;
inline constexpr ResultCode kKnlNoMatch = 0x04000191;
inline constexpr ResultCode kKnlStringTooLong = 0x04000192;
inline constexpr ResultCode kKnlIllegalDriveHandle = 0x04000193;

// Same length, and each position '*' in the pattern or the same character: 0; else kKnlNoMatch.
ResultCode MatchFWPattern(std::string_view pattern, std::string_view revision);

// Whether a record's skew pattern can be decided without asking the drive: drive types 0-2,
// or a '*' in either position.
bool skewMatchesWithoutDrive(int driveType, std::string_view pattern);
// The two pattern characters against the drive's skew text; kKnlNoMatch at the first difference.
ResultCode compareSkew(std::string_view pattern, std::string_view driveSkew);

// Day/month/year hour:minute of a packed DOS date and time; years before 2000 with two digits.
std::string firmwareDateText(std::uint16_t dosDate, std::uint16_t dosTime);

// The logo named by the first OEM record, checked against the caller's buffer size. A list
// without any record names no logo: 0 with an empty name.
ResultCode logoFileName(const OemReader& reader, std::size_t bufferSize, std::string& name);

}  // namespace quillon
