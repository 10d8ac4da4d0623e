// The automatic run's user on the wizard's test PC: the drive and the file it takes, its
// answers, and the outcome page decided by what the drive's indicator shows.

#include "quillon/gui/automatic_run.h"

#include <gtest/gtest.h>

#include <sstream>

#include "quillon/gui/form_main_test_support.h"

namespace quillon {
namespace {

using testing::WizardTest;

constexpr int kDriveType = 6;

class AutomaticRunTest : public WizardTest {
 protected:
  void SetUp() override { drive_ = &addMakerDrive(driveType()); }
  virtual int driveType() const { return kDriveType; }

  // The whole run with the eyes seeing `indicator` on the drive, and the drive's revision.
  std::string runWith(std::optional<std::string> indicator, const std::string& address = {}) {
    DriveEyes eyes = [this, indicator](const std::string& address) -> std::optional<SeenDrive> {
      addresses_.push_back(address);
      if (!indicator) return std::nullopt;
      return SeenDrive{*indicator, drive_->identity().revision};
    };
    std::ostringstream out;
    open();
    AutomaticRun automatic(out, eyes, address);
    platform::forms::ScopedFrontEnd useAutomatic(automatic);
    automatic.run(*wizard_);
    automatic.finish();
    return out.str();
  }
  static bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

  sim::EmulatedDrive* drive_ = nullptr;
  std::vector<std::string> addresses_;
};

TEST_F(AutomaticRunTest, TakesTheNewestFittingFileAndEndsOnTheSuccessPageWhenTheIndicatorShowsIt) {
  for (const char* revision : {"2.10", "2.30", "2.20"})
    writeFirmware(std::string("F") + revision + ".CVT", kDriveType, revision);
  std::string out = runWith("steady");
  EXPECT_EQ(drive_->identity().revision, "2.30");
  EXPECT_TRUE(has(out, "Firmware: F2.30.CVT")) << out;
  EXPECT_TRUE(has(out, "Revision before: 1.00")) << out;
  EXPECT_TRUE(has(out, "Page 6: ") && has(out, "%")) << out;
  EXPECT_TRUE(has(out, "The indicator shows success: Next")) << out;
  EXPECT_TRUE(has(out, "Page 9: ")) << out;
  EXPECT_TRUE(out.ends_with("Revision after: 2.30\n")) << out;
  EXPECT_EQ(addresses_.front(), "0:0:0");
  EXPECT_EQ(wizard_->kernel(), nullptr) << "it exits the wizard";
}

// The flash itself goes through; only what the user sees decides the answer.
class UnlessSteady : public AutomaticRunTest, public ::testing::WithParamInterface<std::optional<std::string>> {};

TEST_P(UnlessSteady, TheOutcomeIsAnsweredFailed) {
  writeFirmware("NEW.CVT", kDriveType, "2.10");
  std::string out = runWith(GetParam());
  EXPECT_TRUE(has(out, "The indicator does not show success: Failed")) << out;
  EXPECT_TRUE(has(out, "Page 8: ")) << out;
  EXPECT_FALSE(has(out, "Page 9: ")) << out;
}

INSTANTIATE_TEST_SUITE_P(Indicators, UnlessSteady,
                         ::testing::Values(std::optional<std::string>("blinking"), std::optional<std::string>("error"),
                                           std::optional<std::string>("off"), std::nullopt));

TEST_F(AutomaticRunTest, AnswersYesToTheSettingsQuestionSoWindowsRestarts) {
  bench_.machine.host.installed.erase("CDR4DLL");
  useRegistry("[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Cdrom]\n\"Autorun\"=dword:00000001\n");
  writeFirmware("NEW.CVT", kDriveType, "2.10");
  std::string out = runWith("off");
  EXPECT_TRUE(has(out, "Yes")) << out;
  EXPECT_TRUE(wizard_->RebootRequested());
  EXPECT_EQ(drive_->identity().revision, "1.00") << "nothing is flashed before the restart";
}

TEST_F(AutomaticRunTest, AnAddressWithoutASupportedDriveCancelsTheWizard) {
  writeFirmware("NEW.CVT", kDriveType, "2.10");
  std::string out = runWith("steady", "0:1:0");
  EXPECT_TRUE(has(out, "Automatic run: no supported drive at 0:1:0")) << out;
  EXPECT_EQ(drive_->identity().revision, "1.00");
}

TEST_F(AutomaticRunTest, WithoutAFittingFileItCancelsTheWizard) {
  std::string out = runWith("off");
  EXPECT_TRUE(has(out, "Automatic run: no firmware file fits the drive")) << out;
  EXPECT_EQ(wizard_->kernel(), nullptr);
}

// Windows XP with DMA on the drive's IDE channel: drive type 2 must have it switched off by
// hand, so the wizard stays on the drive page after its messages.
class RefusedDriveTest : public AutomaticRunTest {
 protected:
  int driveType() const override { return 2; }
};

TEST_F(RefusedDriveTest, TheRunGivesUpOnTheDrivePageInsteadOfPressingNextAgain) {
  useRegistry(
      "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Cdrom]\n\"Autorun\"=dword:00000000\n"
      "[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 0]\n\"Driver\"=\"atapi\"\n"
      "\"DMAEnabled\"=dword:00000001\n");
  writeFirmware("NEW.CVT", driveType(), "2.10");
  std::string out = runWith("off");
  EXPECT_TRUE(has(out, "Automatic run: the wizard does not go on with this drive")) << out;
  std::size_t refused = out.find("Impossible to continue");
  ASSERT_NE(refused, std::string::npos) << out;
  EXPECT_EQ(out.find("Impossible to continue", refused + 1), std::string::npos) << "Next is pressed once: " << out;
  EXPECT_EQ(drive_->identity().revision, "1.00");
  EXPECT_EQ(wizard_->kernel(), nullptr);
}

TEST(NewestLine, ComparesTheRevisionTexts) {
  EXPECT_EQ(NewestLine({}), -1);
  EXPECT_EQ(NewestLine({"A.CVT   V2.10    d", "B.CVT   V2.30    d", "C.CVT   V2.20    d"}), 1);
  EXPECT_EQ(RevisionOfLine("VR1204A-0220.CVT   V2.20    10/12/2026"), "2.20");
  EXPECT_EQ(RevisionOfLine("no revision"), "");
}

}  // namespace
}  // namespace quillon
