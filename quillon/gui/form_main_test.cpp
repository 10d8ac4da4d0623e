// The wizard's page flow, headless, against the maker's emulated drives: a whole update,
// test mode, the drive tree and the exit confirmation.

#include "quillon/gui/form_main.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "quillon/gui/form_main_test_support.h"

namespace quillon {
namespace {

using platform::forms::TreeView;
using sim::vorante::testing_support::firmwareOf;
using sim::vorante::testing_support::specFor;
using testing::WizardTest;

constexpr int kDriveType = 6;

class WizardFlowTest : public WizardTest {
 protected:
  void SetUp() override {
    drive_ = &addMakerDrive(kDriveType);
    writeFirmware("NEW.CVT", kDriveType, "2.10");
  }
  TreeView& tree() const { return wizard_->form().get<TreeView>("DrvTree"); }
  std::string product() const { return specFor(kDriveType, "1.00").model; }

  sim::EmulatedDrive* drive_ = nullptr;
};

TEST_F(WizardFlowTest, ASuccessfulUpdateWalksEveryPageAndLeavesTheNewFirmwareInTheFlash) {
  open();
  std::vector<std::string> titles;
  bool ended = run([&] {
    titles.push_back(title());
    for (int step = 1; step <= 5; ++step) {
      next();
      titles.push_back(title());
    }
    EXPECT_EQ(page(), 6);
    headless_.advance(39000);
    EXPECT_EQ(page(), 6) << "the bar runs its 400 steps of 100 ms";
    headless_.advance(2000);
    EXPECT_EQ(page(), 7);
    EXPECT_TRUE(click("P7ButNext"));
    EXPECT_EQ(page(), 9);
    titles.push_back(title());
    EXPECT_EQ(control("P9L1").text(), "Your VORANTE " + product() + " drive is successfully updated to version 2.10.");
    EXPECT_EQ(control("ButNext").text(), gui(5));
    next();
  });
  EXPECT_TRUE(ended);
  EXPECT_EQ(wizard_->kernel(), nullptr);
  EXPECT_EQ(titles, (std::vector<std::string>{"Quillon  V3.7.2.4", gui(13), gui(20), gui(25), gui(31), gui(35),
                                              gui(47)}));
  EXPECT_TRUE(flash_->read() == firmwareOf(sim::buildFirmware(specFor(kDriveType, "2.10"))).data);
  EXPECT_EQ(drive_->identity().revision, "2.10");
  EXPECT_TRUE(headless_.messageBoxes().empty());
}

TEST_F(WizardFlowTest, TestModeRunsEveryPageButRestoresAndFlashesNothing) {
  std::string backup = bench_.writeFile("Quillon.Reg", {1, 2, 3});
  open(true);
  EXPECT_EQ(title(), "Quillon  V3.7.2.4  Test");
  run([&] {
    walkToStartPage();
    runProgress();
    EXPECT_EQ(page(), 7);
  });
  EXPECT_TRUE(flash_->read() == erased());
  EXPECT_EQ(drive_->identity().revision, "1.00");
  EXPECT_TRUE(log_.contains(LogLevel::Info, "Stopping unit & opening tray ..."));
  EXPECT_EQ(platform::readWholeFile(backup, 16).bytes, (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST_F(WizardFlowTest, SettingsThatCannotBeWrittenBackAreShownAndTheFlashGoesOn) {
  bench_.writeFile("Quillon.Reg", {1, 2, 3});
  open();
  run([&] {
    walkToStartPage();
    headless_.answerNextMessageBox(platform::IDOK);
    runProgress();
    EXPECT_EQ(page(), 7);
    EXPECT_TRUE(control("P7ButNext").enabled());
  });
  EXPECT_EQ(headless_.messageBoxes().size(), 1u);
  EXPECT_EQ(drive_->identity().revision, "2.10");
}

TEST_F(WizardFlowTest, GoingBackAndOnKeepsTheChosenFile) {
  writeFirmware("OTHER.CVT", kDriveType, "2.20");
  open();
  run([&] {
    next();
    next();
    EXPECT_FALSE(control("ButNext").enabled()) << "two files: none is chosen for the user";
    EXPECT_TRUE(wizard_->form().get<platform::forms::ListBox>("P3SelList").clickLine(1));
    click("ButBack");
    EXPECT_EQ(page(), 2);
    next();
    EXPECT_EQ(page(), 3);
    EXPECT_TRUE(control("ButNext").enabled());
    next();
    EXPECT_EQ(control("EdtFw").text().substr(0, 9), "OTHER.CVT");
  });
}

TEST_F(WizardFlowTest, ChoosingAnotherDriveReadsItsFilesAfresh) {
  writeFirmware("OTHER.CVT", kDriveType, "2.20");
  bench_.machine.bus().addDrive({0, 1, 0, 0}, 'E', {"VORANTE", "SECOND", "1.00", ""});
  oem_.push_back(testing::oemEntry("SECOND", kDriveType));
  bench_.writeOem(oem_);
  open();
  run([&] {
    next();
    tree().select(*tree().topLevel()[0]->children()[0]);
    next();
    wizard_->form().get<platform::forms::ListBox>("P3SelList").clickLine(1);
    click("ButBack");
    tree().select(*tree().topLevel()[0]->children()[1]);
    next();
    EXPECT_EQ(page(), 3);
    EXPECT_EQ(wizard_->form().get<platform::forms::ListBox>("P3SelList").selected(), -1);
    EXPECT_FALSE(control("ButNext").enabled());
  });
}

TEST_F(WizardFlowTest, TheLogoNamedByTheOemFileIsShownOnlyWhenItExists) {
  auto picture = [&] { return wizard_->form().get<platform::forms::Image>("Logo").picture(); };
  open();
  EXPECT_EQ(picture(), "");
  EXPECT_TRUE(headless_.messageBoxes().empty());
  bench_.writeFile("Logo.bmp", {0x42, 0x4D});
  open();
  EXPECT_EQ(picture(), "Logo.bmp");
}

TEST_F(WizardFlowTest, OnlyASupportedDriveCanBeSelected) {
  bench_.machine.bus().addDrive({0, 1, 0, 0}, 'E', {"OTHER", "CDROM 52X", "1.00", ""});
  open();
  run([&] {
    next();
    ASSERT_EQ(tree().topLevel().size(), 2u);
    platform::forms::TreeNode& supported = *tree().topLevel()[0];
    platform::forms::TreeNode& unsupported = *tree().topLevel()[1];
    EXPECT_EQ(supported.text(), gui(17));
    EXPECT_TRUE(supported.expanded());
    EXPECT_EQ(unsupported.text(), gui(18));
    EXPECT_FALSE(unsupported.expanded());
    EXPECT_EQ(unsupported.children().front()->stateIndex(), 2);
    platform::forms::TreeNode* only = supported.children().front();
    EXPECT_EQ(only->text(), "(D:) VORANTE " + product() + ", V1.00, 0:0:0");
    EXPECT_EQ(tree().selected(), only) << "the one supported drive is chosen for the user";
    EXPECT_TRUE(control("ButNext").enabled());
    for (platform::forms::TreeNode* other : {&supported, &unsupported, unsupported.children().front()}) {
      tree().select(*other);
      EXPECT_EQ(tree().selected(), only) << other->text();
    }
  });
}

TEST_F(WizardFlowTest, WithoutASupportedDriveNextStaysDisabled) {
  oem_ = {testing::oemEntry("SOMEOTHER", kDriveType)};
  bench_.writeOem(oem_);
  open();
  run([&] {
    next();
    ASSERT_EQ(tree().topLevel().size(), 2u);
    EXPECT_EQ(tree().topLevel()[0]->text(), gui(19));
    EXPECT_FALSE(control("ButNext").enabled());
  });
}

struct PaceCase {
  int driveType;
  std::uint32_t intervalMs;
};

void PrintTo(const PaceCase& c, std::ostream* out) { *out << "drive type " << c.driveType; }

class ProgressPaceTest : public WizardTest, public ::testing::WithParamInterface<PaceCase> {};

// The bar ends about when the drive has finished programming: after its first tick the
// remaining 398 steps come at the drive type's interval.
TEST_P(ProgressPaceTest, TheBarRunsAtTheDriveTypesInterval) {
  auto [driveType, intervalMs] = GetParam();
  addPlainDrive("PACE" + std::to_string(driveType), driveType);
  writeFirmware("NEW.CVT", driveType, "2.10");
  open(true);
  run([&] {
    walkToStartPage();
    next();
    headless_.advance(100);
    EXPECT_EQ(wizard_->form().timers().front()->interval(), intervalMs);
    headless_.advance(397 * intervalMs);
    EXPECT_EQ(page(), 6);
    headless_.advance(intervalMs);
    EXPECT_EQ(page(), 7);
  });
}

INSTANTIATE_TEST_SUITE_P(Intervals, ProgressPaceTest,
                         ::testing::Values(PaceCase{6, 100}, PaceCase{13, 150}, PaceCase{31, 200}));

struct CancelCase {
  const char* button;
  bool ends;
};

class CancelTest : public WizardFlowTest, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(CancelTest, TheExitFormResumesOrEnds) {
  open();
  bool ended = run([&] {
    walkToStartPage();
    headless_.whenModal([&](platform::forms::Form& form) { form.control(GetParam().button).click(); });
    EXPECT_TRUE(click("ButCancel"));
    EXPECT_EQ(page(), 5);
  });
  EXPECT_EQ(ended, GetParam().ends);
  EXPECT_EQ(wizard_->kernel() == nullptr, GetParam().ends);
  EXPECT_EQ(headless_.modalForms().back(), "FormExit");
  EXPECT_FALSE(exit_.form().visible());
}

INSTANTIATE_TEST_SUITE_P(Buttons, CancelTest, ::testing::Values(CancelCase{"ButResume", false}, CancelCase{"ButExit", true}));

}  // namespace
}  // namespace quillon
