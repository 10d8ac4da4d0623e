#include "platform/host.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/host_loader.h"
#include "platform/library_folder.h"
#include "platform/test_host.h"

namespace platform {
namespace {

TEST(BareHost, IsAnXpAdministratorWithoutDrivesLibrariesOrState) {
  BareHost bare;
  std::optional<VersionInfo> version = bare.version();
  ASSERT_TRUE(version);
  EXPECT_EQ(version->major, 5u);
  EXPECT_EQ(version->minor, 1u);
  EXPECT_EQ(version->build, 2600u);
  EXPECT_EQ(version->platformId, 2u);
  EXPECT_TRUE(bare.isAdministrator());
  EXPECT_FALSE(bare.libraryInstalled("WNASPI32"));
  EXPECT_FALSE(bare.libraryInstalled("CDR4DLL"));
  EXPECT_EQ(bare.bus(), nullptr);
  EXPECT_FALSE(bare.stateFolder());
  EXPECT_FALSE(bare.requestedRestart());
  bare.requestRestart(6);
  EXPECT_EQ(bare.requestedRestart(), 6u);
}

TEST(ScopedHost, SwapsTheHostForItsScopeAndNests) {
  Host& before = host();
  testing::FakeHost outer, inner;
  {
    ScopedHost useOuter(outer);
    EXPECT_EQ(&host(), &outer);
    {
      ScopedHost useInner(inner);
      EXPECT_EQ(&host(), &inner);
    }
    EXPECT_EQ(&host(), &outer);
  }
  EXPECT_EQ(&host(), &before);
}

TEST(LibraryFolder, IsWhereLibplatformLies) {
  EXPECT_TRUE(std::filesystem::exists(libraryFolder() + "/libplatform.so")) << libraryFolder();
}

TEST(MachineLoader, AttachesTheFolderThroughTheLibrarysEntryPoint) {
  std::string reason;
  Host* machine = loadMachineHost(TEST_MACHINE_LIBRARY, "/machines/win98", reason);
  ASSERT_NE(machine, nullptr) << reason;
  EXPECT_EQ(machine->stateFolder(), "/machines/win98");
  EXPECT_EQ(machine->version()->platformId, 1u);
}

TEST(MachineLoader, GivesTheReasonForEachFailure) {
  struct Case {
    std::string library;
    const char* folder;
    std::string reasonPart;
  };
  const Case cases[] = {
      {TEST_MACHINE_LIBRARY, "refused", "no machine.json in refused"},
      {"/nonexistent/libsimpc.so", "m", "/nonexistent/libsimpc.so"},
      {libraryFolder() + "/libwnaspi32.so", "m", "does not export quillon_attach_machine"},
  };
  for (const Case& c : cases) {
    std::string reason;
    EXPECT_EQ(loadMachineHost(c.library, c.folder, reason), nullptr) << c.library;
    EXPECT_NE(reason.find(c.reasonPart), std::string::npos) << reason;
  }
}

// The host is chosen once per process, so this runs in a fresh one.
TEST(HostDeathTest, AMachineThatCannotBeAttachedLeavesABarePcAndOneLine) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        ::setenv(kMachineVariable, "/no/such/machine", 1);
        Host& chosen = host();
        std::exit(chosen.bus() == nullptr && &chosen == &bareHost() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "cannot attach the machine in /no/such/machine \\(.+\\)");
}

}  // namespace
}  // namespace platform
