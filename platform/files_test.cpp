#include "platform/files.h"

#include "platform/scratch_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace platform {
namespace {

namespace fs = std::filesystem;

class TempFolder : public ::testing::Test {
 protected:
  std::string path(const std::string& name) const { return scratch_.file(name); }
  void write(const std::string& name, const std::string& content) const {
    std::ofstream(path(name), std::ios::binary) << content;
  }
  platform::ScratchFolder scratch_{"files_test"};
  const fs::path& folder_ = scratch_.path();
};

TEST(WildcardMatch, BehavesAsWindowsFileSearch) {
  struct Case {
    const char* pattern;
    const char* name;
    bool matches;
  };
  const Case cases[] = {
      {"*.CVT", "new.cvt", true},       {"*.CVT", "new.CVT", true},      {"*.CVT", "new.cvt.bak", false},
      {"*.CVT", ".cvt", true},          {"*.CVT", "cvt", false},         {"?.bin", "a.bin", true},
      {"?.bin", "ab.bin", false},       {"*", "", true},                 {"a*b*c", "aXXbYYc", true},
      {"a*b*c", "aXXbYY", false},       {"**x", "abcx", true},           {"", "a", false},
  };
  for (const Case& c : cases) EXPECT_EQ(wildcardMatch(c.pattern, c.name), c.matches) << c.pattern << " " << c.name;
}

TEST(DosDateTime, PackAsTheFileSearchRecordDoes) {
  EXPECT_EQ(packDosDate(1980, 1, 1), 0x0021);
  EXPECT_EQ(packDosDate(2001, 9, 18), (21 << 9) | (9 << 5) | 18);
  EXPECT_EQ(packDosTime(13, 7, 5), (13 << 11) | (7 << 5) | 2);
  EXPECT_EQ(packDosDate(1975, 5, 5) >> 9, 0) << "years before 1980 clamp to 1980";
}

TEST(PathLimit, IsReportedNotOverflowed) {
  std::string longest(kMaxPath - 1, 'a');
  EXPECT_TRUE(fitsPathLimit(longest));
  EXPECT_FALSE(fitsPathLimit(longest + "a"));
  EXPECT_FALSE(joinPath(std::string(250, 'f'), std::string(10, 'n')).has_value());
  EXPECT_EQ(joinPath("dir", "file").value(), "dir/file");
  EXPECT_EQ(joinPath("dir/", "file").value(), "dir/file");
  EXPECT_EQ(readPrefix("/" + longest, 32).error, FileError::PathTooLong);
  EXPECT_EQ(readWholeFile("/" + longest, 100).error, FileError::PathTooLong);
}

TEST_F(TempFolder, FindFilesListsMatchingRegularFilesSortedWithDosStamp) {
  write("b.CVT", "12345");
  write("a.cvt", "1");
  write("c.txt", "x");
  fs::create_directory(folder_ / "dir.cvt");
  auto found = findFiles(folder_.native(), "*.CVT");
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].name, "a.cvt");
  EXPECT_EQ(found[1].name, "b.CVT");
  EXPECT_EQ(found[1].size, 5u);
  EXPECT_GE(found[0].dosDate >> 9, 2026 - 1980);
  EXPECT_TRUE(findFiles(path("missing"), "*").empty());
}

TEST_F(TempFolder, ReadPrefixGivesWhatTheFileHas) {
  write("short", "abc");
  FileBytes got = readPrefix(path("short"), 32);
  EXPECT_EQ(got.error, FileError::None);
  EXPECT_EQ(got.bytes.size(), 3u);
  EXPECT_EQ(got.fileSize, 3u);
  EXPECT_EQ(readPrefix(path("missing"), 32).error, FileError::NotFound);
  EXPECT_EQ(readPrefix(folder_.native(), 32).error, FileError::NotFound) << "a folder is not a file";
}

TEST_F(TempFolder, ReadWholeFileRefusesOversizedFilesBeforeReading) {
  write("f", std::string(100, 'x'));
  EXPECT_EQ(readWholeFile(path("f"), 100).bytes.size(), 100u);
  FileBytes tooLarge = readWholeFile(path("f"), 99);
  EXPECT_EQ(tooLarge.error, FileError::TooLarge);
  EXPECT_TRUE(tooLarge.bytes.empty());
  EXPECT_EQ(tooLarge.fileSize, 100u);
  write("empty", "");
  FileBytes empty = readWholeFile(path("empty"), 100);
  EXPECT_EQ(empty.error, FileError::None);
  EXPECT_TRUE(empty.bytes.empty());
}

TEST_F(TempFolder, WriteWholeFileReplacesAtomically) {
  write("f", "old");
  ASSERT_EQ(writeWholeFile(path("f"), {'n', 'e', 'w', '!'}), FileError::None);
  EXPECT_EQ(readWholeFile(path("f"), 10).bytes.size(), 4u);
  EXPECT_FALSE(fs::exists(path("f.tmp")));
  EXPECT_EQ(writeWholeFile(path("no/such/folder/f"), {1}), FileError::WriteError);
}

TEST_F(TempFolder, CurrentFolderFollowsSetCurrentFolder) {
  std::string before = currentFolder().value();
  ASSERT_TRUE(setCurrentFolder(folder_.native()));
  EXPECT_EQ(currentFolder().value(), fs::canonical(folder_).native());
  ASSERT_TRUE(setCurrentFolder(before));
  EXPECT_FALSE(setCurrentFolder(path("missing")));
}

}  // namespace
}  // namespace platform
