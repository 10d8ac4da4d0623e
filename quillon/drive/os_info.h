#pragma once
// Which Windows the program runs on and whether the user may change machine-wide settings.
// Holds no state: every call asks the system afresh.

#include <cstdint>

namespace quillon {

using PlatformCode = std::uint32_t;

inline constexpr PlatformCode kPlatformIllegal = 0;
inline constexpr PlatformCode kPlatformWin32s = 1;
inline constexpr PlatformCode kPlatformWindows95 = 2;
inline constexpr PlatformCode kPlatformWindows98 = 3;
inline constexpr PlatformCode kPlatformWindowsMe = 4;
inline constexpr PlatformCode kPlatformWindowsNt4 = 5;
inline constexpr PlatformCode kPlatformWindows2000 = 6;
inline constexpr PlatformCode kPlatformWindowsXp = 7;

constexpr bool isWindows95Family(PlatformCode code) {
  return code >= kPlatformWindows95 && code <= kPlatformWindowsMe;
}
constexpr bool isNtFamily(PlatformCode code) { return code >= kPlatformWindowsNt4 && code <= kPlatformWindowsXp; }

class OsInfo {
 public:
  // With log = 1 the platform line goes to the status log as well.
  PlatformCode GetPlatform(int log) const;
  // Write access to HKEY_LOCAL_MACHINE\Software is what the wizard needs, so that is the test.
  bool IsAdministrator() const;
};

}  // namespace quillon
