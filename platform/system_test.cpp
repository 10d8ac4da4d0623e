#include "platform/system.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/test_host.h"

namespace platform {
namespace {

class System : public ::testing::Test {
 protected:
  testing::FakeHost machine;
  ScopedHost scoped{machine};
};

TEST_F(System, VersionComesFromTheHost) {
  machine.versionInfo = VersionInfo{4, 10, 0x040A08AE, VER_PLATFORM_WIN32_WINDOWS, std::string(200, 'S')};
  OSVERSIONINFO info{};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(GetVersionEx(&info));
  EXPECT_EQ(info.dwMajorVersion, 4u);
  EXPECT_EQ(info.dwMinorVersion, 10u);
  EXPECT_EQ(info.dwBuildNumber, 0x040A08AEu);
  EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_WINDOWS);
  EXPECT_EQ(std::string(info.szCSDVersion), std::string(127, 'S'));
}

TEST_F(System, VersionQueryFailsForAWrongSizeOrAHostThatCannotTell) {
  OSVERSIONINFO info{};
  info.dwOSVersionInfoSize = sizeof info - 1;
  SetLastError(0);
  EXPECT_FALSE(GetVersionEx(&info));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER});
  EXPECT_FALSE(GetVersionEx(nullptr));
  info.dwOSVersionInfoSize = sizeof info;
  machine.versionInfo.reset();
  SetLastError(0);
  EXPECT_FALSE(GetVersionEx(&info));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER});
}

TEST_F(System, OnlyAnAdministratorGetsTheShutdownPrivilege) {
  EXPECT_TRUE(EnableShutdownPrivilege());
  machine.administrator = false;
  SetLastError(0);
  EXPECT_FALSE(EnableShutdownPrivilege());
  EXPECT_EQ(GetLastError(), DWORD{ERROR_PRIVILEGE_NOT_HELD});
}

TEST_F(System, ARestartIsHandedToTheHost) {
  EXPECT_TRUE(ExitWindowsEx(EWX_REBOOT | EWX_FORCE, 0));
  EXPECT_EQ(machine.restarts, std::vector<DWORD>{EWX_REBOOT | EWX_FORCE});
}

}  // namespace
}  // namespace platform
