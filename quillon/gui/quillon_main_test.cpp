#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

TEST(QuillonProgram, WithoutADisplayItSaysSoAndEndsWithStatus2) {
  std::string command = std::string("env -u DISPLAY -u WAYLAND_DISPLAY ") + QUILLON_PROGRAM + " test 2>/dev/null";
  int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 2);
}

}  // namespace
