// The wizard acting on the chosen drive, headless: the hand-off to other flashers, the
// system settings question, a disc or a failing tray in the way, and failed flashes.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/files.h"
#include "platform/process.h"
#include "platform/scratch_folder.h"
#include "platform/test_host.h"
#include "quillon/drive/drive_results.h"
#include "quillon/drive/scsi_opcodes.h"
#include "quillon/gui/form_main.h"
#include "quillon/gui/form_main_test_support.h"
#include "quillon/kernel/drive_families.h"

namespace quillon {
namespace {

using platform::ScsiCommand;
using platform::ScsiOutcome;
using testing::WizardTest;


std::vector<std::string> linesOf(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

struct HandOffCase {
  int driveType;
  std::string product;
  const char* program;  // below the current folder; empty: Quillon flashes the drive itself
  const char* logLine;
};

void PrintTo(const HandOffCase& c, std::ostream* out) { *out << "type " << c.driveType << " " << c.product; }

class HandOffTest : public WizardTest, public ::testing::WithParamInterface<HandOffCase> {
 protected:
  std::string launches() const { return *bench_.machine.host.stateFolder() + "/" + platform::kLaunchesFileName; }
};

TEST_P(HandOffTest, NextOnTheDrivePageStartsTheFamilysFlasherAndEnds) {
  const HandOffCase& c = GetParam();
  addPlainDrive(c.product, c.driveType);
  open();
  bool ended = run([&] { next(); next(); });
  if (*c.program == '\0') {
    EXPECT_FALSE(ended);
    EXPECT_EQ(page(), 3);
    EXPECT_FALSE(std::filesystem::exists(launches()));
    return;
  }
  EXPECT_TRUE(ended);
  EXPECT_EQ(wizard_->kernel(), nullptr);
  EXPECT_EQ(linesOf(launches()), std::vector<std::string>{bench_.folder().native() + "/" + c.program});
  EXPECT_TRUE(log_.contains(LogLevel::Info, c.logLine));
  EXPECT_TRUE(headless_.messageBoxes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Families, HandOffTest,
    ::testing::Values(HandOffCase{12, "VC1204V", "Corvel/Corvel.exe", "Launch V - quillon."},
                      HandOffCase{13, std::string(kCombinedDriveProduct), "Corvel/Corvel.exe", "Launch V - quillon."},
                      HandOffCase{13, "VC0812V", "", ""},
                      HandOffCase{22, "VC2204V", "Corvel/Corvel.exe", "Launch V - quillon."},
                      HandOffCase{23, "BT2304B", "Tessway/Tessway.exe", "Launch B - quillon."},
                      HandOffCase{33, "OL3300C", "Oltaro/Chipup.exe", "Launch B - quillon."},
                      HandOffCase{34, "OL3400D", "OltaroDROM/dromup.exe", "Launch B - quillon."}));

TEST_F(WizardTest, TheFlasherIsLookedForBelowTheFolderChosenOnTheFirmwarePage) {
  addMakerDrive(6);
  bench_.machine.bus().addDrive({0, 1, 0, 0}, 'E', {"VORANTE", "BT2304B", "1.00", ""});
  oem_.push_back(testing::oemEntry("BT2304B", 23));
  bench_.writeOem(oem_);
  platform::ScratchFolder other("wizard_flasher");
  platform::writeWholeFile(other.file("F.CVT"), sim::buildFirmware(sim::vorante::testing_support::specFor(6, "2.10")));
  open();
  auto& tree = wizard_->form().get<platform::forms::TreeView>("DrvTree");
  EXPECT_TRUE(run([&] {
    next();
    tree.select(*tree.topLevel()[0]->children()[0]);
    next();
    headless_.answerNextBrowse(other.path().native());
    click("P3ButBrowse");
    click("ButBack");
    tree.select(*tree.topLevel()[0]->children()[1]);
    next();
  }));
  EXPECT_EQ(linesOf(*bench_.machine.host.stateFolder() + "/" + platform::kLaunchesFileName),
            std::vector<std::string>{other.path().native() + "/Tessway/Tessway.exe"});
}

TEST_F(WizardTest, WithoutAdministratorRightsOnWindowsXpTheWelcomePageEndsTheWizard) {
  bench_.machine.host.administrator = false;
  addMakerDrive(6);
  open();
  EXPECT_TRUE(run([&] { next(1); }));
  EXPECT_EQ(boxTexts(), std::vector<std::string>{gui(65)});
  EXPECT_FALSE(wizard_->RebootRequested());
}

TEST_F(WizardTest, AFlasherThatCannotBeStartedIsLoggedAndQuillonEndsAllTheSame) {
  host_.bare = true;
  addPlainDrive("BT2304B", 23);
  open();
  EXPECT_TRUE(run([&] { next(); next(); }));
  EXPECT_TRUE(log_.contains(LogLevel::Error, "Unable to start <" + bench_.folder().native() + "/Tessway/Tessway.exe>"));
}

// Windows XP without the CD-recorder manager: the auto-insert setting must go for every
// drive type from 3 on, DMA for types 2 and 11.
constexpr const char* kSettingsOn =
    "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Cdrom]\n\"Autorun\"=dword:00000001\n"
    "[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 0]\n\"Driver\"=\"atapi\"\n"
    "\"DMAEnabled\"=dword:00000001\n"
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\atapi\\Parameters\\Device0]\n";

class SettingsTest : public WizardTest {
 protected:
  void SetUp() override {
    bench_.machine.host.installed.erase("CDR4DLL");
    useRegistry(kSettingsOn);
  }
  std::string question(const std::string& settings) const {
    std::string format = catalogueText(kSettingsQuestion);
    return format.replace(format.find("%s"), 2, settings);
  }
  std::string backup() const { return (bench_.folder() / "Quillon.Reg").native(); }
};

TEST_F(SettingsTest, RefusingTheReconfigurationStaysOnTheDrivePage) {
  addMakerDrive(6);
  open();
  EXPECT_FALSE(run([&] {
    next();
    headless_.answerNextMessageBox(platform::IDNO);
    next(1);
    EXPECT_EQ(page(), 2);
  }));
  EXPECT_EQ(boxTexts(), (std::vector<std::string>{question("- AutoInsertNotification\n"), gui(62)}));
  EXPECT_EQ(headless_.messageBoxes().front().caption, gui(55));
  EXPECT_FALSE(std::filesystem::exists(backup()));
}

TEST_F(SettingsTest, AcceptingItSavesTheSettingsAndRestartsWindowsAfterTheLoop) {
  addMakerDrive(6);
  open();
  EXPECT_TRUE(run([&] {
    next();
    headless_.answerNextMessageBox(platform::IDYES);
    next(1);
  }));
  EXPECT_EQ(boxTexts().back(), gui(64));
  EXPECT_TRUE(wizard_->RebootRequested());
  EXPECT_TRUE(std::filesystem::exists(backup()));
  EXPECT_TRUE(host_.restarts.empty()) << "not before the message loop has ended";
  EXPECT_EQ(RestartWindows(wizard_->NtFamily()), 0);
  EXPECT_EQ(host_.restarts, std::vector<platform::DWORD>{6});
  EXPECT_TRUE(log_.contains(LogLevel::Info, "Start Shutdown"));
}

TEST_F(SettingsTest, DmaAndAutoInsertTogetherNameOnlyDma) {
  bench_.machine.setPlatform(kPlatformWindowsNt4);
  addMakerDrive(11);
  open();
  run([&] {
    next();
    headless_.answerNextMessageBox(platform::IDNO);
    next(1);
  });
  EXPECT_EQ(boxTexts().front(), question("- DMA\n"));
}

TEST_F(SettingsTest, DmaOnWindowsXpMustBeSwitchedOffByHand) {
  addMakerDrive(2);
  open();
  run([&] {
    next();
    next(3);
    EXPECT_EQ(page(), 2);
  });
  EXPECT_EQ(boxTexts(), (std::vector<std::string>{gui(68), gui(69), gui(62)}));
  EXPECT_EQ(headless_.messageBoxes().front().caption, gui(57));
}

class InTheWayTest : public WizardTest {
 protected:
  void SetUp() override {
    addMakerDrive(6);
    writeFirmware("NEW.CVT", 6, "2.10");
  }
  // From now on the drive answers this command so.
  void answer(std::uint8_t operation, ScsiOutcome outcome) {
    host_.gatedBus().gate = [=](const ScsiCommand& command) -> std::optional<ScsiOutcome> {
      if (command.cdb[0] == operation) return outcome;
      return std::nullopt;
    };
  }
};

TEST_F(InTheWayTest, ADiscInTheDriveKeepsTheWizardOnTheDrivePage) {
  answer(kTestUnitReady, ScsiOutcome{});
  open();
  run([&] {
    next();
    next(1);
    EXPECT_EQ(page(), 2);
  });
  EXPECT_EQ(boxTexts(), std::vector<std::string>{gui(66)});
}

TEST_F(InTheWayTest, ADiscOrAFailingTrayKeepsTheWizardOnTheSummaryPage) {
  for (std::uint8_t operation : {kTestUnitReady, kStartStopUnit}) {
    open();
    run([&] {
      for (int step = 1; step <= 3; ++step) next();
      answer(operation, operation == kTestUnitReady ? ScsiOutcome{}
                                                    : platform::testing::checkCondition(0x04, 0x44, 0x00));
      next(1);
      EXPECT_EQ(page(), 4) << int(operation);
      host_.gatedBus().gate = nullptr;
    });
  }
  EXPECT_EQ(boxTexts(), (std::vector<std::string>{gui(66), catalogueText(kAspiSendError)}));
}

// What goes wrong between the start page and the flash.
struct FlashFailure {
  const char* name;
  std::function<void(const std::filesystem::path& folder, sim::Faults& faults)> arrange;
};

void PrintTo(const FlashFailure& c, std::ostream* out) { *out << c.name; }

class FailedFlashTest : public InTheWayTest, public ::testing::WithParamInterface<FlashFailure> {};

TEST_P(FailedFlashTest, JumpsToTheQuestionWhereOnlyTheFailureAnswerLeadsOn) {
  open();
  bool ended = run([&] {
    walkToStartPage();
    GetParam().arrange(bench_.folder(), *faults_);
    headless_.answerNextMessageBox(platform::IDOK);
    next();
    headless_.advance(100);
    EXPECT_EQ(page(), 7) << "the bar jumps to its end";
    EXPECT_FALSE(click("P7ButNext"));
    EXPECT_EQ(page(), 7);
    EXPECT_TRUE(click("P7ButFail"));
    EXPECT_EQ(page(), 8);
    EXPECT_EQ(title(), gui(44));
    next();
  });
  EXPECT_TRUE(ended);
  EXPECT_EQ(headless_.messageBoxes().size(), 1u);
  EXPECT_TRUE(flash_->read() == erased());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FailedFlashTest,
    ::testing::Values(
        FlashFailure{"MissingFile", [](const auto& folder, sim::Faults&) { std::filesystem::remove(folder / "NEW.CVT"); }},
        FlashFailure{"BadChecksum",
                     [](const auto& folder, sim::Faults&) {
                       sim::FirmwareSpec spec = sim::vorante::testing_support::specFor(6, "2.10");
                       spec.badLinear = true;
                       platform::writeWholeFile((folder / "NEW.CVT").native(), sim::buildFirmware(spec));
                     }},
        FlashFailure{"TransferError",
                     [](const auto&, sim::Faults& faults) {
                       faults.failingBlock = 1;
                       faults.failingBlockAlways = true;
                     }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillon
