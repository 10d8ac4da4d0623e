#include "platform/process.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/scratch_folder.h"
#include "platform/test_host.h"

namespace platform {
namespace {

std::vector<std::string> linesOf(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(CreateProcess, InsideASimulatedPcRecordsEachLaunchAsOneLine) {
  ScratchFolder state("process_test");
  testing::FakeHost fake;
  fake.state = state.path().native();
  ScopedHost use(fake);
  EXPECT_TRUE(CreateProcess("/pc/files/Corvel/Corvel.exe"));
  EXPECT_TRUE(CreateProcess("/pc/files/Tessway/Tessway.exe"));
  EXPECT_EQ(linesOf(state.file(kLaunchesFileName)),
            (std::vector<std::string>{"/pc/files/Corvel/Corvel.exe", "/pc/files/Tessway/Tessway.exe"}));
}

TEST(CreateProcess, OnABareHostStartsOnlyAProgramThatExists) {
  ScratchFolder folder("process_test");
  testing::FakeHost fake;
  ScopedHost use(fake);
  EXPECT_FALSE(CreateProcess(folder.file("Missing.exe")));
  EXPECT_FALSE(CreateProcess(folder.path().native()));
  EXPECT_TRUE(CreateProcess("/bin/true"));
}

}  // namespace
}  // namespace platform
