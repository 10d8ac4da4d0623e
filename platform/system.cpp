#include "platform/system.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "platform/host.h"

namespace platform {

BOOL GetVersionEx(OSVERSIONINFO* info) {
  std::optional<VersionInfo> version = info && info->dwOSVersionInfoSize == sizeof(OSVERSIONINFO) ? host().version()
                                                                                                  : std::nullopt;
  if (!version) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  info->dwMajorVersion = version->major;
  info->dwMinorVersion = version->minor;
  info->dwBuildNumber = version->build;
  info->dwPlatformId = version->platformId;
  std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
  std::memcpy(info->szCSDVersion, version->servicePack.data(),
              std::min(version->servicePack.size(), sizeof info->szCSDVersion - 1));
  return TRUE;
}

BOOL EnableShutdownPrivilege() {
  if (host().isAdministrator()) return TRUE;
  SetLastError(ERROR_PRIVILEGE_NOT_HELD);
  return FALSE;
}

BOOL ExitWindowsEx(UINT flags, DWORD) {
  host().requestRestart(flags);
  return TRUE;
}

}  // namespace platform
