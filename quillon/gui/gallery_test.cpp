#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/scratch_folder.h"

namespace {

namespace fs = std::filesystem;

struct PngSize {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

// Reads the signature and the IHDR chunk: width and height are big-endian at bytes 16 and 20.
std::optional<PngSize> pngSize(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  unsigned char head[24] = {};
  if (!in.read(reinterpret_cast<char*>(head), sizeof head)) return std::nullopt;
  const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (!std::equal(signature, signature + 8, head) || std::string(head + 12, head + 16) != "IHDR") return std::nullopt;
  auto be32 = [&](int at) {
    return std::uint32_t{head[at]} << 24 | std::uint32_t{head[at + 1]} << 16 | std::uint32_t{head[at + 2]} << 8 |
           head[at + 3];
  };
  return PngSize{be32(16), be32(20)};
}

TEST(Gallery, RendersEveryDialogInEveryLanguage) {
  platform::ScratchFolder scratch("gallery_test");
  const fs::path& out = scratch.path();
  std::string command = std::string(GALLERY_PROGRAM) + " --out " + out.native();
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::pair<const char*, PngSize> forms[] = {
      {"exit", {440, 200}}, {"readme", {540, 420}}, {"popup", {440, 240}}, {"popup-fatal", {440, 240}}};
  for (const char* language : {"en", "de", "fr"}) {
    for (const auto& [dialog, size] : forms) {
      auto found = pngSize(out / (std::string(dialog) + "-" + language + ".png"));
      ASSERT_TRUE(found) << dialog << "-" << language;
      EXPECT_EQ(found->width, size.width);
      EXPECT_EQ(found->height, size.height);
    }
    for (const char* box : {"result", "question"}) {
      auto found = pngSize(out / (std::string(box) + "-" + language + ".png"));
      ASSERT_TRUE(found) << box << "-" << language;
      EXPECT_GT(found->width, 100u);
      EXPECT_GT(found->height, 60u);
    }
  }
}

TEST(Gallery, RefusesBadUsage) {
  std::string command = std::string(GALLERY_PROGRAM) + " --bogus 2>/dev/null";
  EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 2);
}

}  // namespace
