#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/cdrmgr.h"
#include "platform/dynlib.h"
#include "platform/scratch_folder.h"
#include "platform/test_host.h"

namespace platform {
namespace {

class CdrManager : public ::testing::Test {
 protected:
  CdrManager() {
    machine.installed = {"CDR4DLL"};
    library.reset(LoadLibrary(kCdrLibraryName));
    start = reinterpret_cast<CdrBlockingFunction>(GetProcAddress(library.get(), kCdrStartBlockingName));
    end = reinterpret_cast<CdrBlockingFunction>(GetProcAddress(library.get(), kCdrEndBlockingName));
    query = reinterpret_cast<CdrBlockingFunction>(GetProcAddress(library.get(), kCdrQueryBlockingName));
  }
  void SetUp() override { ASSERT_TRUE(start && end && query); }
  std::string stateText() const {
    std::ifstream file(folder.file("cdr-blocking.txt"));
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }

  ScratchFolder folder{"cdr_manager"};
  testing::FakeHost machine;
  ScopedHost scoped{machine};
  ScopedLibrary library;
  CdrBlockingFunction start = nullptr, end = nullptr, query = nullptr;
  const DWORD drive = cdrDriveAddress(1, 2, 0);
  const DWORD other = cdrDriveAddress(0, 1, 0);
};

TEST_F(CdrManager, BlocksPerDriveInMemoryWithoutAStateFolder) {
  EXPECT_EQ(query(drive), 0u);
  EXPECT_EQ(start(drive), 1u);
  EXPECT_EQ(start(drive), 1u);
  EXPECT_EQ(query(drive), 1u);
  EXPECT_EQ(query(other), 0u);
  EXPECT_EQ(end(drive), 1u);
  EXPECT_EQ(end(drive), 1u);
  EXPECT_EQ(query(drive), 0u);
}

TEST_F(CdrManager, KeepsTheBlockingInTheStateFolderForOtherProcesses) {
  machine.state = folder.path().string();
  EXPECT_EQ(start(drive), 1u);
  EXPECT_EQ(start(other), 1u);
  EXPECT_EQ(stateText(), "00000100\n00010200\n");
  EXPECT_EQ(end(other), 1u);
  EXPECT_EQ(stateText(), "00010200\n");

  // Another process ended the blocking and added a drive.
  std::ofstream(folder.file("cdr-blocking.txt")) << "00000300\nnot an address\n";
  EXPECT_EQ(query(drive), 0u);
  EXPECT_EQ(query(cdrDriveAddress(0, 3, 0)), 1u);
}

TEST_F(CdrManager, ReportsABlockingItCouldNotStore) {
  machine.state = folder.file("missing-folder");
  EXPECT_EQ(start(drive), 0u);
  EXPECT_EQ(query(drive), 0u);
}

}  // namespace
}  // namespace platform
