#include "quillon/drive/os_info.h"

#include <utility>

#include "platform/registry.h"
#include "platform/system.h"
#include "quillon/gui/logging.h"

namespace quillon {
namespace {

PlatformCode windows95FamilyCode(platform::DWORD minor) {
  switch (minor) {
    case 0: return kPlatformWindows95;
    case 10: return kPlatformWindows98;
    case 90: return kPlatformWindowsMe;
    default: return kPlatformIllegal;
  }
}

PlatformCode ntFamilyCode(platform::DWORD major, platform::DWORD minor) {
  if (major == 4) return kPlatformWindowsNt4;
  if (major == 5 && minor == 0) return kPlatformWindows2000;
  if (major == 5 && minor == 1) return kPlatformWindowsXp;
  return kPlatformIllegal;
}

PlatformCode platformCode(const platform::OSVERSIONINFO& info) {
  switch (info.dwPlatformId) {
    case platform::VER_PLATFORM_WIN32s: return kPlatformWin32s;
    case platform::VER_PLATFORM_WIN32_WINDOWS: return windows95FamilyCode(info.dwMinorVersion);
    case platform::VER_PLATFORM_WIN32_NT: return ntFamilyCode(info.dwMajorVersion, info.dwMinorVersion);
    default: return kPlatformIllegal;
  }
}

const char* platformName(PlatformCode code) {
  constexpr const char* kNames[] = {"Illegal",    "Windows",    "Windows 95",   "Windows 98",
                                    "Windows ME", "Windows NT", "Windows 2000", "Windows XP"};
  return code <= kPlatformWindowsXp ? kNames[code] : kNames[kPlatformIllegal];
}

void logPlatform(PlatformCode code, const platform::OSVERSIONINFO& info) {
  platform::DWORD build = info.dwBuildNumber;
  // The Windows 95 family keeps its major and minor version in the high word of the build.
  if (info.dwPlatformId == platform::VER_PLATFORM_WIN32_WINDOWS) build &= 0xFFFF;
  LogInfo("Platform is %s V%d.%02d (%d) %s", platformName(code), static_cast<int>(info.dwMajorVersion),
          static_cast<int>(info.dwMinorVersion), static_cast<int>(build), info.szCSDVersion);
}

// Holds an opened key so that its closing result can still be reported.
class OpenedKey {
 public:
  explicit OpenedKey(platform::HKEY key) : key_(key) {}
  ~OpenedKey() {
    if (key_) platform::RegCloseKey(key_);
  }
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;
  platform::LONG close() { return platform::RegCloseKey(std::exchange(key_, 0)); }

 private:
  platform::HKEY key_;
};

}  // namespace

PlatformCode OsInfo::GetPlatform(int log) const {
  platform::OSVERSIONINFO info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!platform::GetVersionEx(&info)) {
    if (log == 1) LogError("GetVersionEx = %d", static_cast<int>(platform::GetLastError()));
    return kPlatformIllegal;
  }
  info.szCSDVersion[sizeof info.szCSDVersion - 1] = '\0';
  PlatformCode code = platformCode(info);
  if (log == 1) logPlatform(code, info);
  return code;
}

bool OsInfo::IsAdministrator() const {
  platform::HKEY raw = 0;
  platform::LONG opened =
      platform::RegOpenKeyEx(platform::HKEY_LOCAL_MACHINE, "Software", 0, platform::KEY_ALL_ACCESS, &raw);
  if (opened != platform::ERROR_SUCCESS) {
    LogWarn("User has NO Administrator privileges, RegCreateKeyEx = %d", static_cast<int>(opened));
    return false;
  }
  OpenedKey key(raw);
  platform::LONG closed = key.close();
  if (closed != platform::ERROR_SUCCESS) LogError("RegCloseKey = %d", static_cast<int>(closed));
  LogInfo("User has Administrator privileges");
  return true;
}

}  // namespace quillon
