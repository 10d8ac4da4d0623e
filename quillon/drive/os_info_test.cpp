#include "quillon/drive/os_info.h"

#include <gtest/gtest.h>

#include "platform/registry.h"
#include "quillon/drive/test_host.h"
#include "quillon/gui/logging.h"

namespace quillon {
namespace {

using testing::TestMachine;

class OsInfoTest : public ::testing::Test {
 protected:
  TestMachine machine_;
  platform::Hive hive_ = platform::Hive::fromText("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software]\n");
  platform::ScopedHive hiveScope_{hive_};
  LogCapture log_;
};

struct VersionCase {
  platform::DWORD platformId, major, minor;
  PlatformCode code;
};

TEST_F(OsInfoTest, MapsEachVersionToItsPlatformCode) {
  const VersionCase cases[] = {
      {0, 3, 10, kPlatformWin32s},      {1, 4, 0, kPlatformWindows95},   {1, 4, 10, kPlatformWindows98},
      {1, 4, 90, kPlatformWindowsMe},   {1, 4, 3, kPlatformIllegal},     {2, 4, 0, kPlatformWindowsNt4},
      {2, 5, 0, kPlatformWindows2000},  {2, 5, 1, kPlatformWindowsXp},   {2, 5, 2, kPlatformIllegal},
      {2, 6, 0, kPlatformIllegal},      {2, 3, 51, kPlatformIllegal},    {3, 5, 1, kPlatformIllegal},
  };
  for (const auto& c : cases) {
    machine_.host.versionInfo = platform::VersionInfo{c.major, c.minor, 1000, c.platformId, ""};
    EXPECT_EQ(OsInfo().GetPlatform(0), c.code) << c.platformId << " " << c.major << "." << c.minor;
  }
  EXPECT_TRUE(log_.entries().empty());
}

TEST_F(OsInfoTest, LogsThePlatformLineOnlyWhenAsked) {
  machine_.host.versionInfo = platform::VersionInfo{5, 1, 2600, 2, "Service Pack 2"};
  EXPECT_EQ(OsInfo().GetPlatform(1), kPlatformWindowsXp);
  ASSERT_EQ(log_.entries().size(), 1u);
  EXPECT_TRUE(log_.contains(LogLevel::Info, "Platform is Windows XP V5.01 (2600) Service Pack 2"));
}

TEST_F(OsInfoTest, Windows98BuildShowsOnlyItsLowWord) {
  machine_.host.versionInfo = platform::VersionInfo{4, 10, 0x040A08AE, 1, " A "};
  OsInfo().GetPlatform(1);
  EXPECT_TRUE(log_.contains(LogLevel::Info, "Platform is Windows 98 V4.10 (2222)  A "));
}

TEST_F(OsInfoTest, Server2003IsIllegal) {
  machine_.host.versionInfo = platform::VersionInfo{5, 2, 3790, 2, ""};
  EXPECT_EQ(OsInfo().GetPlatform(1), kPlatformIllegal);
  EXPECT_TRUE(log_.contains(LogLevel::Info, "Platform is Illegal V5.02 (3790) "));
}

TEST_F(OsInfoTest, FailedVersionQueryGivesCodeZeroAndLogsTheError) {
  machine_.host.versionInfo = std::nullopt;
  EXPECT_EQ(OsInfo().GetPlatform(0), kPlatformIllegal);
  EXPECT_TRUE(log_.entries().empty());
  EXPECT_EQ(OsInfo().GetPlatform(1), kPlatformIllegal);
  EXPECT_TRUE(log_.contains(LogLevel::Error, "GetVersionEx = 87"));
}

TEST_F(OsInfoTest, AdministratorMayOpenTheSoftwareKeyForWriting) {
  EXPECT_TRUE(OsInfo().IsAdministrator());
  EXPECT_TRUE(log_.contains(LogLevel::Info, "User has Administrator privileges"));
}

TEST_F(OsInfoTest, UserWithoutWriteAccessIsNoAdministrator) {
  machine_.host.administrator = false;
  EXPECT_FALSE(OsInfo().IsAdministrator());
  EXPECT_TRUE(log_.contains(LogLevel::Warn, "User has NO Administrator privileges, RegCreateKeyEx = 5"));
}

TEST(PlatformFamilies, SplitTheCodesIntoWindows95AndNt) {
  for (PlatformCode code = 0; code <= 8; ++code) {
    EXPECT_EQ(isWindows95Family(code), code >= 2 && code <= 4) << code;
    EXPECT_EQ(isNtFamily(code), code >= 5 && code <= 7) << code;
  }
}

}  // namespace
}  // namespace quillon
