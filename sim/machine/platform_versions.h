#pragma once
// The Windows versions a machine can run: the version record each platform code stands for,
// as GetVersionEx fills it on that Windows, so that the programs map it back to the code.

#include <string_view>

#include "platform/host.h"

namespace sim {

inline constexpr int kLowestPlatform = 0;
inline constexpr int kHighestPlatform = 7;

// 0 unknown (an NT newer than XP), 1 Win32s, 2 Windows 95, 3 Windows 98, 4 Windows ME,
// 5 Windows NT 4, 6 Windows 2000, 7 Windows XP.
platform::VersionInfo versionOfPlatform(int code);
std::string_view platformName(int code);

// Windows 95, 98 and ME (and Win32s before them) name their IDE channels differently from NT.
bool windows9xStyle(int code);

}  // namespace sim
