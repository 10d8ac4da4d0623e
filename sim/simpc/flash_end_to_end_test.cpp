// quillon-cli inside a simulated PC as a person runs it through simpc: a machine made from
// the built-in description into a scratch folder, its drives listed, drive 0 flashed and
// looked at with `simpc show`, and the flashes quillon-cli must refuse. The machine has no
// CD-recorder manager, so auto-insert must go first: `settings --switch-off` and the reboot
// that follows. Each flash waits for the drive's programming time on the real clock, about a
// second for drive 0.

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "platform/scratch_folder.h"
#include "sim/simpc/simpc_runner.h"

namespace {

namespace fs = std::filesystem;
using sim::simpc::testing::Finished;
using sim::simpc::testing::readFile;
using sim::simpc::testing::runSimpc;
using nlohmann::json;

class FlashEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(simpc("new " + machine()).status, 0); }

  Finished simpc(const std::string& words) { return runSimpc(SIMPC_PROGRAM, words, scratch_.path()); }
  // simpc ends what the program printed with a line of its own for the exit status.
  Finished cli(const std::string& words) {
    Finished finished = simpc("run " + machine() + " quillon-cli " + words);
    std::string last = fmt::format("simpc: quillon-cli exited with status {}\n", finished.status);
    EXPECT_TRUE(finished.out.ends_with(last)) << words << '\n' << finished.out;
    if (finished.out.ends_with(last)) finished.out.resize(finished.out.size() - last.size());
    return finished;
  }

  // Drive 0:0:0 as `simpc show --json` reports it: identity, tray and flash image.
  json firstDrive() {
    Finished show = simpc("show " + machine() + " --json");
    EXPECT_EQ(show.status, 0) << show.err;
    json report = json::parse(show.out);
    for (const json& adapter : report["adapters"])
      for (const json& drive : adapter["drives"])
        if (drive["adapter"] == 0 && drive["target"] == 0 && drive["lun"] == 0) return drive;
    ADD_FAILURE() << "no drive 0:0:0 in " << show.out;
    return {};
  }
  // Windows's auto-insert off for drive 0, as it is after the restart the command asks for.
  void switchSettingsOff() {
    Finished run = simpc("run " + machine() + " quillon-cli settings --drive 0 --switch-off --yes");
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("simpc: quillon-cli asked Windows to restart"), std::string::npos) << run.out;
    EXPECT_TRUE(run.out.ends_with("the machine has rebooted\n")) << run.out;
    ASSERT_TRUE(fs::exists(backup()));
  }
  fs::path backup() const { return scratch_.path() / "pc" / "files" / "Quillon.Reg"; }
  std::string flashBytes() const { return readFile(scratch_.path() / "pc" / "flash" / "0-0-0.bin"); }
  std::string machine() const { return (scratch_.path() / "pc").native(); }

  platform::ScratchFolder scratch_{"simpc_flash"};
};

TEST_F(FlashEndToEnd, DrivesListsTheDrivesOfTheBuiltInMachineAsSupported) {
  Finished drives = cli("drives --json");
  ASSERT_EQ(drives.status, 0) << drives.err;
  json list = json::parse(drives.out);
  ASSERT_EQ(list.size(), 5u) << drives.out;
  // The last two are updated by the other makers' flashers, Corvel and Tessway.
  const char* const products[] = {"VR1204A", "VR2410A", "VD0804A", "VR4016V", "VR4816B"};
  for (std::size_t i = 0; i < list.size(); ++i) {
    EXPECT_EQ(list[i]["product"], products[i]);
    EXPECT_EQ(list[i]["supported"], true) << list[i];
  }
  EXPECT_EQ(list[0]["driveType"], 6);
  EXPECT_EQ(list[0]["allowedRevisions"], json::array({"2.**"}));
}

TEST_F(FlashEndToEnd, OnAFreshMachineFlashRefusesWhileAutoInsertIsOn) {
  json before = firstDrive();
  std::string bytes = flashBytes();
  Finished flash = cli("flash --drive 0 VR1204A-0220.CVT --yes");
  EXPECT_EQ(flash.status, 1);
  EXPECT_NE(flash.err.find("Windows has AutoInsertNotification on for drive 0"), std::string::npos) << flash.err;
  EXPECT_NE(flash.err.find("`quillon-cli settings --drive 0 --switch-off`"), std::string::npos) << flash.err;
  EXPECT_EQ(firstDrive(), before);
  EXPECT_EQ(flashBytes(), bytes);
}

TEST_F(FlashEndToEnd, AFlashedDriveReportsTheNewRevisionAndHoldsTheNewFirmware) {
  switchSettingsOff();
  json before = firstDrive();
  ASSERT_EQ(before["revision"], "2.00");
  Finished flash = cli("flash --drive 0 VR1204A-0220.CVT --yes");
  ASSERT_EQ(flash.status, 0) << flash.out << flash.err;
  EXPECT_NE(flash.out.find("Drive 0 now reports revision 2.20.\n"), std::string::npos) << flash.out;
  json after = firstDrive();
  EXPECT_EQ(after["revision"], "2.20");
  EXPECT_EQ(after["flash"]["bytes"], before["flash"]["bytes"]);
  EXPECT_NE(after["flash"]["linear"], before["flash"]["linear"]);
  EXPECT_NE(after["flash"]["rotated"], before["flash"]["rotated"]);
  std::string log = readFile(scratch_.path() / "pc" / "files" / "Logging.Log");
  EXPECT_NE(log.find("FW downloaded successfully"), std::string::npos) << log;
  EXPECT_FALSE(fs::exists(backup())) << "the saved settings were written back";
}

TEST_F(FlashEndToEnd, ARefusedFlashLeavesTheDriveAsItWas) {
  struct Refusal {
    std::string words;
    int status;
    std::string says;
  };
  const Refusal refusals[] = {
      {"flash --drive 0 VR2410A-0305.CVT --yes", 1, "VR2410A-0305.CVT does not fit drive 0"},
      {"flash --drive 0 VR1204A-0220.CVT", 2, "standard input is not a terminal: add --yes"},
  };
  switchSettingsOff();
  json before = firstDrive();
  std::string bytes = flashBytes();
  for (const Refusal& refusal : refusals) {
    Finished flash = cli(refusal.words);
    EXPECT_EQ(flash.status, refusal.status) << refusal.words << '\n' << flash.out << flash.err;
    EXPECT_NE(flash.err.find(refusal.says), std::string::npos) << refusal.words << '\n' << flash.err;
    EXPECT_EQ(firstDrive(), before) << refusal.words;
    EXPECT_EQ(flashBytes(), bytes) << refusal.words;
  }
}

}  // namespace
