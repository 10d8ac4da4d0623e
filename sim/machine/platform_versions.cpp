#include "sim/machine/platform_versions.h"

#include <array>

namespace sim {
namespace {

struct Platform {
  std::string_view name;
  platform::VersionInfo version;  // major, minor, build, platform id, service pack
};

// The Windows 95 family keeps the version in the high word of the build number as well,
// which is why the programs read only its low word there.
constexpr platform::DWORD windows9xBuild(platform::DWORD major, platform::DWORD minor, platform::DWORD build) {
  return major << 24 | minor << 16 | build;
}

const std::array<Platform, 8> kPlatforms = {{
    {"unknown (Windows Server 2003)", {5, 2, 3790, 2, ""}},
    {"Win32s", {3, 10, 0, 0, ""}},
    {"Windows 95", {4, 0, windows9xBuild(4, 0, 950), 1, ""}},
    {"Windows 98", {4, 10, windows9xBuild(4, 10, 1998), 1, ""}},
    {"Windows ME", {4, 90, windows9xBuild(4, 90, 3000), 1, ""}},
    {"Windows NT 4", {4, 0, 1381, 2, ""}},
    {"Windows 2000", {5, 0, 2195, 2, ""}},
    {"Windows XP", {5, 1, 2600, 2, ""}},
}};

}  // namespace

platform::VersionInfo versionOfPlatform(int code) { return kPlatforms.at(code).version; }

std::string_view platformName(int code) { return kPlatforms.at(code).name; }

bool windows9xStyle(int code) { return code >= 1 && code <= 4; }

}  // namespace sim
