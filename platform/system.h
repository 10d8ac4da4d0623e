#pragma once
// The system services of the host: the version record, the administrator token, and the
// shutdown privilege with the restart of Windows (recorded by the host; inside a simulated
// PC the launcher then reboots the machine).

#include <string>

#include "platform/win32.h"

namespace platform {

struct OSVERSIONINFO {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  char szCSDVersion[128];
};

inline constexpr DWORD VER_PLATFORM_WIN32s = 0;
inline constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
inline constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

// Fails (FALSE, last error ERROR_INVALID_PARAMETER) when dwOSVersionInfoSize is not the
// record's size, or when the host cannot tell its version.
BOOL GetVersionEx(OSVERSIONINFO* info);

inline constexpr UINT EWX_REBOOT = 0x0002;
inline constexpr UINT EWX_FORCE = 0x0004;
// Needs the shutdown privilege, which only an administrator can enable.
BOOL EnableShutdownPrivilege();
BOOL ExitWindowsEx(UINT flags, DWORD reason);

}  // namespace platform
