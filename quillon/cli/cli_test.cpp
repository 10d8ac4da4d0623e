#include "quillon/cli/cli.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/host.h"
#include "platform/registry.h"
#include "quillon/gui/logging.h"
#include "quillon/kernel/kernel_test_support.h"
#include "sim/drives/vorante/vorante_test_support.h"

namespace quillon::cli {
namespace {

namespace fs = std::filesystem;
using quillon::testing::KernelBench;
using quillon::testing::oemEntry;
using sim::vorante::testing_support::specFor;

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

// One command on the bench's PC, its drives settled first as after power-on.
Outcome runOn(KernelBench& bench, const std::vector<std::string>& args, bool interactive, const std::string& answer) {
  std::ostringstream out, err;
  std::istringstream in(answer);
  bench.machine.settle();
  int status = runCli(args, Io{out, err, in, interactive});
  return {status, out.str(), err.str()};
}

class CliTest : public ::testing::Test {
 protected:
  CliTest() {
    addDrive(0, "VR0404A");
    addDrive(1, "VR4016V");
    bench_.writeOem({oemEntry("VR0404A", 1, "1.**"), oemEntry("VR4016V", 22)});
    sim::FirmwareSpec spec;
    spec.model = "VR0404A";
    spec.revision = "1.30";
    bench_.writeFirmware("VR0404A-0130.CVT", spec);
    spec.revision = "2.00";
    bench_.writeFirmware("VR0404A-0200.CVT", spec);
  }
  void addDrive(int target, const std::string& product, sim::Faults faults = {}) {
    bench_.machine.bus().addDrive({0, 0, static_cast<std::uint8_t>(target), 0}, static_cast<char>('D' + target),
                                  {"VORANTE", product, "1.00", ""}, faults);
  }
  Outcome run(std::vector<std::string> args, bool interactive = false, const std::string& answer = "") {
    return runOn(bench_, args, interactive, answer);
  }
  std::string path(const std::string& name) const { return (bench_.folder() / name).native(); }
  int writes() const { return bench_.machine.bus().count({0, 0, 0, 0}, 0x3B); }

  LogCapture log_;
  KernelBench bench_;
};

TEST_F(CliTest, DrivesListsEachDriveAsTheKernelMatchedIt) {
  Outcome text = run({"drives"});
  EXPECT_EQ(text.status, 0);
  EXPECT_NE(text.out.find(" 0  0:0:0    D:  VORANTE   VR0404A           1.00  yes     1"), std::string::npos) << text.out;
  Outcome json = run({"drives", "--json"});
  auto drives = nlohmann::json::parse(json.out);
  ASSERT_EQ(drives.size(), 2u);
  EXPECT_EQ(drives[0]["allowedRevisions"], nlohmann::json::array({"1.**"}));
  EXPECT_EQ(drives[1]["driveType"], 22);
}

TEST_F(CliTest, FirmwareListsTheFilesThatFitTheDrive) {
  Outcome json = run({"firmware", "--drive", "0", "--json"});
  EXPECT_EQ(json.status, 0);
  auto table = nlohmann::json::parse(json.out);
  ASSERT_EQ(table.size(), 1u);
  EXPECT_EQ(table[0]["file"], "VR0404A-0130.CVT");
  Outcome unknown = run({"firmware", "--drive", "7"});
  EXPECT_EQ(unknown.status, 1);
  EXPECT_NE(unknown.err.find("0x04000193"), std::string::npos) << unknown.err;
}

// A command line that must be refused, how it is answered, and what it must say.
struct RefusalCase {
  std::vector<std::string> args;
  bool interactive;
  std::string answer;
  int status;
  const char* message;
};

TEST_F(CliTest, FlashRefusesWithoutWritingAnything) {
  const RefusalCase cases[] = {
      {{"flash", "--drive", "0", path("VR0404A-0130.CVT")}, false, "", 2, "standard input is not a terminal"},
      {{"flash", "--drive", "0", path("VR0404A-0130.CVT")}, true, "n\n", 1, "not confirmed"},
      {{"flash", "--drive", "0", path("VR0404A-0200.CVT"), "--yes"}, false, "", 1, "does not fit drive 0"},
      {{"flash", "--drive", "0", path("GONE.CVT"), "--yes"}, false, "", 1, "does not fit drive 0"},
      {{"flash", "--drive", "1", path("VR0404A-0130.CVT"), "--yes"}, false, "", 1, "is updated by Corvel"},
      {{"flash", "--drive", "5", path("VR0404A-0130.CVT"), "--yes"}, false, "", 2, "there is no drive 5"},
      {{"flash", "--drive", "0"}, false, "", 2, "flash needs the firmware FILE"},
  };
  for (const RefusalCase& c : cases) {
    Outcome result = run(c.args, c.interactive, c.answer);
    EXPECT_EQ(result.status, c.status) << c.message;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_EQ(result.out.find("now reports"), std::string::npos);
  }
  EXPECT_EQ(writes(), 0);
}

TEST_F(CliTest, ADiscInTheDriveStopsTheFlashWithTheCatalogueText) {
  addDrive(2, "VR0404A", {.mediumPresent = true});
  Outcome result = run({"flash", "--drive", "2", path("VR0404A-0130.CVT"), "--yes"});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("0x02000042"), std::string::npos) << result.err;
  EXPECT_EQ(bench_.machine.bus().count({0, 0, 2, 0}, 0x3B), 0);
}

// The bench's host, with the restarts a command asks Windows for recorded.
class RestartRecordingHost final : public platform::Host {
 public:
  explicit RestartRecordingHost(platform::Host& inner) : inner_(inner) {}
  std::vector<platform::DWORD> restarts;

  std::optional<platform::VersionInfo> version() const override { return inner_.version(); }
  bool isAdministrator() const override { return inner_.isAdministrator(); }
  bool libraryInstalled(std::string_view name) const override { return inner_.libraryInstalled(name); }
  platform::ScsiBus* bus() override { return inner_.bus(); }
  std::optional<std::string> stateFolder() const override { return inner_.stateFolder(); }
  void requestRestart(platform::DWORD flags) override { restarts.push_back(flags); }

 private:
  platform::Host& inner_;
};

// Autorun of the CD-ROM service and DMA of the IDE channel on, as Windows leaves them.
constexpr const char* kSettingsOn =
    "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software]\n"
    "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Cdrom]\n\"Autorun\"=dword:00000001\n"
    "[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 0]\n\"Driver\"=\"atapi\"\n"
    "\"DMAEnabled\"=dword:00000001\n"
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\atapi\\Parameters\\Device0]\n";

// A PC without the CD-recorder manager, so that the settings guard has something to say: a
// maker's drive that can really be flashed at 0:0:0, and a drive of Corvel's at 0:0:1.
class SettingsCliTest : public ::testing::Test {
 protected:
  SettingsCliTest() { bench_.machine.host.installed.erase("CDR4DLL"); }
  void addDrives(int driveType, PlatformCode platform = kPlatformWindowsXp) {
    bench_.machine.setPlatform(platform);
    std::string product = specFor(driveType, "1.00").model;
    auto flash = std::make_shared<sim::vorante::MemoryFlash>(
        std::vector<std::uint8_t>(sim::vorante::profileOf(driveType).flashSize(), 0xFF));
    bench_.machine.bus().addDrive(
        {0, 0, 0, 0}, 'D', {"VORANTE", product, "1.00", ""}, {},
        std::make_unique<sim::vorante::VorantePersonality>(sim::vorante::DriveSetup{.driveType = driveType}, flash,
                                                           std::make_shared<sim::Faults>()));
    bench_.machine.bus().addDrive({0, 0, 1, 0}, 'E', {"VORANTE", "VR4016V", "1.00", ""});
    bench_.writeOem({oemEntry(product, static_cast<std::uint32_t>(driveType)), oemEntry("VR4016V", 22)});
    firmware_ = bench_.writeFirmware("NEW.CVT", specFor(driveType, "2.10"));
  }
  Outcome run(std::vector<std::string> args, bool interactive = false, const std::string& answer = "") {
    return runOn(bench_, args, interactive, answer);
  }
  int writes() const { return bench_.machine.bus().count({0, 0, 0, 0}, 0x3B); }
  fs::path backup() const { return bench_.folder() / "Quillon.Reg"; }
  bool autorunOn() const { return hive_.toText().find("\"Autorun\"=dword:00000001") != std::string::npos; }

  LogCapture log_;
  KernelBench bench_;
  RestartRecordingHost host_{bench_.machine.host};
  platform::ScopedHost useHost_{host_};
  platform::Hive hive_ = platform::Hive::fromText(kSettingsOn);
  platform::ScopedHive useHive_{hive_};
  std::string firmware_;
};

struct GuardCase {
  PlatformCode platform;
  int driveType;
  std::vector<std::string> mustSwitchOff;
  bool byHand;
  const char* refusal;  // what flash says
};

void PrintTo(const GuardCase& c, std::ostream* out) { *out << "platform " << c.platform << " type " << c.driveType; }

class GuardCliTest : public SettingsCliTest, public ::testing::WithParamInterface<GuardCase> {};

TEST_P(GuardCliTest, FlashRefusesWhileASettingMustGoAndSettingsNamesIt) {
  const GuardCase& c = GetParam();
  addDrives(c.driveType, c.platform);
  Outcome flash = run({"flash", "--drive", "0", firmware_, "--yes"});
  EXPECT_EQ(flash.status, 1);
  EXPECT_NE(flash.err.find(c.refusal), std::string::npos) << flash.err;
  EXPECT_NE(flash.err.find("; nothing was written"), std::string::npos) << flash.err;
  EXPECT_EQ(flash.err.find("Follow these steps") != std::string::npos, c.byHand) << flash.err;
  EXPECT_EQ(writes(), 0);

  Outcome listing = run({"settings", "--drive", "0", "--json"});
  EXPECT_EQ(listing.status, 0);
  auto settings = nlohmann::json::parse(listing.out);
  EXPECT_EQ(settings["mustSwitchOff"], c.mustSwitchOff);
  EXPECT_EQ(settings["byHand"], c.byHand);

  // What Windows does not let Quillon switch off, Quillon leaves alone.
  Outcome switched = run({"settings", "--drive", "0", "--switch-off", "--yes"});
  EXPECT_EQ(switched.status, c.byHand ? 1 : 0) << switched.err;
  EXPECT_EQ(fs::exists(backup()), !c.byHand);
  EXPECT_EQ(host_.restarts.size(), c.byHand ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, GuardCliTest,
    ::testing::Values(GuardCase{kPlatformWindowsXp, 6, {"AutoInsertNotification"}, false,
                                "Windows has AutoInsertNotification on for drive 0 (D: VORANTE VR1204A 1.00), which "
                                "can disturb the update; `quillon-cli settings --drive 0 --switch-off` switches it "
                                "off, then Windows must restart"},
                      GuardCase{kPlatformWindowsNt4, 11, {"DMA", "AutoInsertNotification"}, false,
                                "Windows has DMA and AutoInsertNotification on for drive 0"},
                      GuardCase{kPlatformWindowsXp, 2, {"DMA"}, true,
                                "DMA must be switched off by hand in the Device Manager"}));

TEST_F(SettingsCliTest, SwitchingOffSavesTheOldValuesAndRestartsWindows) {
  addDrives(6);
  Outcome result = run({"settings", "--drive", "0", "--switch-off", "--yes"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find("the old values are saved in Quillon.Reg"), std::string::npos) << result.out;
  EXPECT_TRUE(fs::exists(backup()));
  EXPECT_FALSE(autorunOn());
  EXPECT_EQ(host_.restarts, std::vector<platform::DWORD>{6});
  EXPECT_TRUE(log_.contains(LogLevel::Info, "Start Shutdown"));
  EXPECT_EQ(writes(), 0);
  Outcome listing = run({"settings", "--drive", "0"});
  EXPECT_NE(listing.out.find("Windows has no setting on that must be switched off before drive 0"), std::string::npos)
      << listing.out;
}

TEST_F(SettingsCliTest, SwitchingOffRefusesWithoutChangingAnything) {
  const RefusalCase cases[] = {
      {{"settings", "--drive", "0", "--switch-off"}, false, "", 2, "add --yes to switch the settings off"},
      {{"settings", "--drive", "0", "--switch-off"}, true, "n\n", 1, "not confirmed"},
      {{"settings", "--drive", "1", "--switch-off", "--yes"}, false, "", 1, "is updated by Corvel"},
      {{"settings", "--drive", "4", "--switch-off", "--yes"}, false, "", 2, "there is no drive 4"},
  };
  addDrives(6);
  for (const RefusalCase& c : cases) {
    Outcome result = run(c.args, c.interactive, c.answer);
    EXPECT_EQ(result.status, c.status) << c.message;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
  }
  EXPECT_FALSE(fs::exists(backup()));
  EXPECT_TRUE(autorunOn());
  EXPECT_TRUE(host_.restarts.empty());
}

TEST_F(SettingsCliTest, ABackupThatCannotBeWrittenLeavesTheSettingsOn) {
  addDrives(6);
  fs::create_directory(backup());
  Outcome result = run({"settings", "--drive", "0", "--switch-off", "--yes"});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("0x030001F"), std::string::npos) << result.err;
  EXPECT_TRUE(autorunOn());
  EXPECT_TRUE(host_.restarts.empty());
}

std::size_t firstEntry(const LogCapture& log, std::string_view text) {
  const auto& entries = log.entries();
  auto found = std::find_if(entries.begin(), entries.end(),
                            [&](const LogCapture::Entry& entry) { return entry.text.starts_with(text); });
  return static_cast<std::size_t>(found - entries.begin());
}

TEST_F(SettingsCliTest, FlashWritesTheSavedSettingsBackBeforeItSendsTheFirmware) {
  addDrives(6);
  ASSERT_EQ(run({"settings", "--drive", "0", "--switch-off", "--yes"}).status, 0);
  log_.clear();
  Outcome flash = run({"flash", "--drive", "0", firmware_, "--yes"});
  EXPECT_EQ(flash.status, 0) << flash.err;
  EXPECT_NE(flash.out.find("Drive 0 now reports revision 2.10."), std::string::npos) << flash.out;
  EXPECT_FALSE(fs::exists(backup()));
  EXPECT_TRUE(autorunOn());
  EXPECT_LT(firstEntry(log_, "Load Registry file."), firstEntry(log_, "Downloading FW block <"));
}

TEST_F(SettingsCliTest, ABackupThatCannotBeReadIsAWarningAndTheFlashGoesOn) {
  bench_.machine.host.installed.insert("CDR4DLL");
  addDrives(6);
  std::ofstream(backup()) << "xx";
  Outcome flash = run({"flash", "--drive", "0", firmware_, "--yes"});
  EXPECT_EQ(flash.status, 0) << flash.err;
  EXPECT_NE(flash.err.find("quillon-cli: warning: the saved drive settings were not written back: 0x030001FB"),
            std::string::npos)
      << flash.err;
  EXPECT_TRUE(fs::exists(backup())) << "kept for the next run";
}

}  // namespace
}  // namespace quillon::cli
