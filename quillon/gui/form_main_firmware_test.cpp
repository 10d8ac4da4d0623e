// The wizard's firmware page and success page, headless: the folder dialog with its status
// texts, the table it re-reads, and the read-me button.

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/files.h"
#include "platform/scratch_folder.h"
#include "quillon/gui/form_main.h"
#include "quillon/gui/form_main_test_support.h"

namespace quillon {
namespace {

using platform::forms::ListBox;
using testing::WizardTest;

constexpr int kDriveType = 6;

class FirmwarePageTest : public WizardTest {
 protected:
  void SetUp() override {
    drive_ = &addMakerDrive(kDriveType);
    writeFirmware("HOME.CVT", kDriveType, "2.10");
  }
  ListBox& list() const { return wizard_->form().get<ListBox>("P3SelList"); }
  // A folder beside the current one with `count` firmware files that fit the drive.
  std::string folderWith(int count) {
    std::filesystem::path folder = other_.path() / std::to_string(count);
    std::filesystem::create_directories(folder);
    for (int file = 0; file < count; ++file) writeIn(folder, "F" + std::to_string(file) + ".CVT", kDriveType, "2.20");
    return folder.native();
  }
  void writeIn(const std::filesystem::path& folder, const std::string& name, int driveType, const char* revision) {
    platform::writeWholeFile((folder / name).native(),
                             sim::buildFirmware(sim::vorante::testing_support::specFor(driveType, revision)));
  }
  // Walks to the firmware page, browses to `folder`, and gives what the dialog showed for it.
  platform::forms::HeadlessFrontEnd::ShownStatus browseTo(const std::string& folder) {
    headless_.answerNextBrowse(folder);
    EXPECT_TRUE(click("P3ButBrowse"));
    return headless_.browses().back().statuses.back();
  }

  sim::EmulatedDrive* drive_ = nullptr;
  platform::ScratchFolder other_{"wizard_browse"};
};

struct StatusCase {
  int files;
  const char* text;
  bool okEnabled;
};

class BrowseStatusTest : public FirmwarePageTest, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(BrowseStatusTest, TheDialogCountsTheFolderFilesAndOnlyAFolderWithFilesCanBeChosen) {
  const StatusCase& c = GetParam();
  open();
  run([&] {
    next();
    next();
    std::string home = CurrentFolder();
    std::string folder = folderWith(c.files);
    platform::forms::HeadlessFrontEnd::ShownStatus status = browseTo(folder);
    EXPECT_EQ(headless_.browses().back().title, "Please select folder where the cvt-files are kept : ");
    EXPECT_EQ(headless_.browses().back().startFolder, home);
    EXPECT_EQ(status.text, c.text);
    EXPECT_EQ(status.okEnabled, c.okEnabled);
    std::string expected = c.okEnabled ? folder : home;
    EXPECT_EQ(CurrentFolder(), expected);
    EXPECT_EQ(control("EdtCurLoc").text(), expected);
    EXPECT_EQ(static_cast<int>(list().lines().size()), c.okEnabled ? c.files : 1);
    EXPECT_EQ(control("ButNext").enabled(), c.files <= 1) << "only a single file is chosen for the user";
  });
}

INSTANTIATE_TEST_SUITE_P(Counts, BrowseStatusTest,
                         ::testing::Values(StatusCase{0, "No cvt-files (*.cvt) found in selected folder", false},
                                           StatusCase{1, "1 cvt-file (*.cvt) found in selected folder", true},
                                           StatusCase{3, "3 cvt-files (*.cvt) found in selected folder", true}));

TEST_F(FirmwarePageTest, TheSameFolderOrACancelledDialogChangesNothing) {
  open();
  run([&] {
    next();
    next();
    std::string home = CurrentFolder();
    browseTo(home);
    headless_.cancelNextBrowse();
    EXPECT_TRUE(click("P3ButBrowse"));
    EXPECT_EQ(CurrentFolder(), home);
    EXPECT_EQ(list().selected(), 0) << "the table was not read again";
    EXPECT_TRUE(control("ButNext").enabled());
  });
}

TEST_F(FirmwarePageTest, ReadMeShowsTheFilesNotesOrSaysTheyAreMissing) {
  open(true);
  std::string notes = (bench_.folder() / "HOME.Txt").native();
  run([&] {
    walkToStartPage();
    runProgress();
    click("P7ButNext");
    ASSERT_EQ(page(), 9);
    headless_.whenModal([](platform::forms::Form& popUp) { popUp.control("ButOk").click(); });
    EXPECT_TRUE(click("P9ButReadMe"));
    std::string text = "Faster.\r\nBetter.\r\n";
    platform::writeWholeFile(notes, {text.begin(), text.end()});
    headless_.whenModal([](platform::forms::Form& readMe) { readMe.control("ButOk").click(); });
    EXPECT_TRUE(click("P9ButReadMe"));
  });
  std::string missing = catalogueText(kFileNotFound);
  EXPECT_EQ(popUp_.form().control("LabTxt").text(), missing.replace(missing.find("%s"), 2, notes));
  EXPECT_EQ(headless_.modalForms(), (std::vector<std::string>{"FormMain", "FormPopUp", "FormReadMe"}));
  EXPECT_EQ(readMe_.form().control("Memo").text(), "Faster.\nBetter.\n");
}

// A name in UTF-8 with letters outside ASCII, and one in a single-byte code page that is no
// valid UTF-8.
const std::string kUtf8Name = "\xC3\x9C" "berarbeitung-\xC3\x9F-\xE6\x97\xA5\xE6\x9C\xAC.CVT";
const std::string kCodePageName = "\xC4nderung.CVT";

// A name of `letter`s and ".CVT" that makes the path in `folder` exactly `pathBytes` long.
std::string nameForPathOf(const std::filesystem::path& folder, std::size_t pathBytes, char letter) {
  return std::string(pathBytes - folder.native().size() - 1 - 4, letter) + ".CVT";
}

TEST_F(FirmwarePageTest, HundredsOfFilesAndUnusualNamesAreListedWholeAndTheChosenOneIsFlashed) {
  std::filesystem::path folder = other_.path() / "many";
  std::filesystem::create_directories(folder);
  for (int file = 0; file < 300; ++file) writeIn(folder, fmt::format("F{:03}.CVT", file), kDriveType, "2.20");
  for (int file = 0; file < 100; ++file) writeIn(folder, fmt::format("X{:03}.CVT", file), 16, "2.20");
  writeIn(folder, kUtf8Name, kDriveType, "2.40");
  writeIn(folder, kCodePageName, kDriveType, "2.50");
  // The longest path Windows opens has 259 bytes and its terminator; one byte more is past it.
  std::string longest = nameForPathOf(folder, platform::kMaxPath - 1, 'L');
  writeIn(folder, longest, kDriveType, "2.30");
  std::ofstream(folder / nameForPathOf(folder, platform::kMaxPath, 'M')) << "past the limit";
  open();
  run([&] {
    next();
    next();
    EXPECT_EQ(browseTo(folder.native()).text, "403 cvt-files (*.cvt) found in selected folder");
    const std::vector<std::string>& lines = list().lines();
    EXPECT_EQ(lines.size(), 303u) << "the files of the other drive type are left out";
    auto lineOf = [&](const std::string& name, const char* revision) {
      auto found = std::find_if(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.starts_with(name + "   V" + revision + "    ");
      });
      return found == lines.end() ? -1 : static_cast<int>(found - lines.begin());
    };
    EXPECT_NE(lineOf(kUtf8Name, "2.40"), -1);
    EXPECT_NE(lineOf(kCodePageName, "2.50"), -1);
    int chosen = lineOf(longest, "2.30");
    ASSERT_NE(chosen, -1);
    ASSERT_TRUE(list().clickLine(chosen));
    next();
    next();
    runProgress();
  });
  EXPECT_EQ(page(), 7);
  EXPECT_TRUE(headless_.messageBoxes().empty());
  EXPECT_EQ(drive_->identity().revision, "2.30") << "the file of the longest name went to the drive";
}

}  // namespace
}  // namespace quillon
