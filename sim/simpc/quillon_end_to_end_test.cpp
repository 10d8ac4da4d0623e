// The automatic run of Quillon inside a fresh PC through `simpc run DIR quillon --headless`:
// the flash of drive 0 and its new revision, which `simpc show` agrees with. The built-in PC
// has no CD-recorder manager, so the settings question, the restart and the second start come
// first; with the manager installed the flash follows the first start.

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>

#include "platform/scratch_folder.h"
#include "sim/simpc/simpc_runner.h"

namespace {

using nlohmann::json;
using sim::simpc::testing::Finished;
using sim::simpc::testing::runSimpc;

class QuillonEndToEnd : public ::testing::Test {
 protected:
  void make(const std::string& from = "") { ASSERT_EQ(simpc("new " + machine() + from).status, 0); }
  // The built-in description with the CD-recorder manager, which makes auto-insert harmless.
  std::string withManager() {
    namespace fs = std::filesystem;
    fs::path source = DEFAULT_MACHINE_FOLDER;
    for (const char* name : {"oem.json", "firmware.json"}) fs::copy_file(source / name, scratch_.path() / name);
    json description = json::parse(std::ifstream(source / "machine.json"));
    description["cdrManager"]["installed"] = true;
    std::ofstream(scratch_.path() / "machine.json") << description.dump();
    return " --from " + (scratch_.path() / "machine.json").native();
  }
  Finished simpc(const std::string& words) { return runSimpc(SIMPC_PROGRAM, words, scratch_.path()); }
  std::string machine() const { return (scratch_.path() / "pc").native(); }

  json driveAt(int adapter, int target) {
    Finished show = simpc("show " + machine() + " --json");
    EXPECT_EQ(show.status, 0) << show.err;
    json report = json::parse(show.out);
    for (const json& each : report["adapters"])
      for (const json& drive : each["drives"])
        if (drive["adapter"] == adapter && drive["target"] == target) return drive;
    return {};
  }

  bool has(const Finished& run, const std::string& part) { return run.out.find(part) != std::string::npos; }
  void expectUpdated(const Finished& run) {
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_TRUE(has(run, "DISC IN indicator: steady")) << run.out;
    EXPECT_TRUE(run.out.ends_with("Revision after: 2.20\n")) << run.out;
    json drive = driveAt(0, 0);
    EXPECT_EQ(drive["revision"], "2.20");
    EXPECT_EQ(drive["indicator"], "steady");
  }

  platform::ScratchFolder scratch_{"simpc_quillon"};
};

TEST_F(QuillonEndToEnd, TheSettingsQuestionIsAnsweredYesAndQuillonStartedAgainAfterTheRestart) {
  make();
  Finished run = simpc("run " + machine() + " quillon --headless");
  expectUpdated(run);
  EXPECT_TRUE(has(run, "AutoInsertNotification")) << run.out;
  std::size_t rebooted = run.out.find("the machine has rebooted");
  ASSERT_NE(rebooted, std::string::npos) << run.out;
  EXPECT_NE(run.out.find("the user starts Quillon once more", rebooted), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("(0,0,0) Autorun   : <0>", rebooted), std::string::npos)
      << "the second start finds Autorun off: " << run.out;
  EXPECT_FALSE(std::filesystem::exists(machine() + "/files/Quillon.Reg")) << "the saved settings were written back";
  std::ifstream registry(machine() + "/registry.reg");
  std::string hive((std::istreambuf_iterator<char>(registry)), std::istreambuf_iterator<char>());
  std::size_t cdrom = hive.find("\\Services\\Cdrom]");
  ASSERT_NE(cdrom, std::string::npos) << hive;
  std::size_t autorun = hive.find("\"Autorun\"", cdrom);
  ASSERT_NE(autorun, std::string::npos) << hive;
  EXPECT_EQ(hive.find("\"Autorun\"=dword:00000001", cdrom), autorun)
      << "Autorun is on again for the next start of Windows";
}

TEST_F(QuillonEndToEnd, WithTheRecorderManagerTheAutomaticRunUpdatesDriveZeroAtTheFirstStart) {
  make(withManager());
  Finished run = simpc("run " + machine() + " quillon --headless");
  expectUpdated(run);
  EXPECT_FALSE(has(run, "the machine has rebooted")) << run.out;
}

struct HandOffCase {
  const char* address;
  const char* logLine;
  const char* program;  // below the machine's files folder
};

class HandOff : public QuillonEndToEnd, public ::testing::WithParamInterface<HandOffCase> {};

TEST_P(HandOff, TheDriveOfAPartnerIsHandedToItsFlasherWhichIsToldAndNothingIsFlashed) {
  const HandOffCase& c = GetParam();
  make();
  Finished run = simpc(fmt::format("run {} quillon --headless --drive {}", machine(), c.address));
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_TRUE(has(run, c.logLine)) << run.out;
  std::string told = fmt::format("simpc: Quillon started {}/files/{}; that flasher is not in this build", machine(),
                                 c.program);
  EXPECT_TRUE(has(run, told)) << run.out;
  EXPECT_FALSE(has(run, "AutoInsertNotification")) << "the hand-off comes before the settings";
  EXPECT_FALSE(std::filesystem::exists(machine() + "/state/launches"));
  EXPECT_EQ(driveAt(0, 0)["revision"], "2.00");
}

INSTANTIATE_TEST_SUITE_P(Partners, HandOff,
                         ::testing::Values(HandOffCase{"1:5:0", "Launch V - quillon.", "Corvel/Corvel.exe"},
                                           HandOffCase{"1:6:0", "Launch B - quillon.", "Tessway/Tessway.exe"}));

}  // namespace
