// The wizard's firmware page and success page, headless: the folder dialog with its status
// texts, the table it re-reads, and the read-me button.

#include <gtest/gtest.h>

#include <filesystem>

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
    addMakerDrive(kDriveType);
    writeFirmware("HOME.CVT", kDriveType, "2.10");
  }
  ListBox& list() const { return wizard_->form().get<ListBox>("P3SelList"); }
  // A folder beside the current one with `count` firmware files that fit the drive.
  std::string folderWith(int count) {
    std::filesystem::path folder = other_.path() / std::to_string(count);
    std::filesystem::create_directories(folder);
    for (int file = 0; file < count; ++file)
      platform::writeWholeFile((folder / ("F" + std::to_string(file) + ".CVT")).native(),
                               sim::buildFirmware(sim::vorante::testing_support::specFor(kDriveType, "2.20")));
    return folder.native();
  }
  // Walks to the firmware page, browses to `folder`, and gives what the dialog showed for it.
  platform::forms::HeadlessFrontEnd::ShownStatus browseTo(const std::string& folder) {
    headless_.answerNextBrowse(folder);
    EXPECT_TRUE(click("P3ButBrowse"));
    return headless_.browses().back().statuses.back();
  }

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

}  // namespace
}  // namespace quillon
