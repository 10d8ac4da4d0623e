#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

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

// Forms come out at their own size; message boxes at whatever size their text needs.
struct Picture {
  std::string window;
  std::optional<PngSize> size;
};

std::vector<Picture> expectedPictures() {
  std::vector<Picture> pictures = {{"exit", PngSize{440, 200}},  {"readme", PngSize{540, 420}},
                                   {"popup", PngSize{440, 240}}, {"popup-fatal", PngSize{440, 240}},
                                   {"result", std::nullopt},     {"question", std::nullopt},
                                   {"wizard-flash-failed", std::nullopt}};
  for (int page = 1; page <= 9; ++page) pictures.push_back({"wizard-p" + std::to_string(page), PngSize{540, 372}});
  return pictures;
}

TEST(Gallery, RendersEveryDialogAndEveryWizardPageInEveryLanguage) {
  platform::ScratchFolder scratch("gallery_test");
  const fs::path& out = scratch.path();
  std::string command = std::string(GALLERY_PROGRAM) + " --out " + out.native();
  ASSERT_EQ(std::system(command.c_str()), 0);
  for (const char* language : {"en", "de", "fr"}) {
    for (const Picture& picture : expectedPictures()) {
      std::string name = picture.window + "-" + language + ".png";
      auto found = pngSize(out / name);
      ASSERT_TRUE(found) << name;
      EXPECT_GT(fs::file_size(out / name), 1000u) << name << " has hardly any picture in it";
      if (picture.size) {
        EXPECT_EQ(found->width, picture.size->width) << name;
        EXPECT_EQ(found->height, picture.size->height) << name;
      } else {
        EXPECT_GT(found->width, 100u) << name;
        EXPECT_GT(found->height, 60u) << name;
      }
    }
  }
}

TEST(Gallery, RefusesBadUsage) {
  std::string command = std::string(GALLERY_PROGRAM) + " --bogus 2>/dev/null";
  EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 2);
}

}  // namespace
