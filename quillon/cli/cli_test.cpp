#include "quillon/cli/cli.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <sstream>

#include "quillon/gui/logging.h"
#include "quillon/kernel/kernel_test_support.h"

namespace quillon::cli {
namespace {

using quillon::testing::KernelBench;
using quillon::testing::oemEntry;

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

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
    std::ostringstream out, err;
    std::istringstream in(answer);
    bench_.machine.settle();
    int status = runCli(args, Io{out, err, in, interactive});
    return {status, out.str(), err.str()};
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

TEST_F(CliTest, FlashRefusesWithoutWritingAnything) {
  struct Case {
    std::vector<std::string> args;
    bool interactive;
    std::string answer;
    int status;
    const char* message;
  };
  const Case cases[] = {
      {{"flash", "--drive", "0", path("VR0404A-0130.CVT")}, false, "", 2, "standard input is not a terminal"},
      {{"flash", "--drive", "0", path("VR0404A-0130.CVT")}, true, "n\n", 1, "not confirmed"},
      {{"flash", "--drive", "0", path("VR0404A-0200.CVT"), "--yes"}, false, "", 1, "does not fit drive 0"},
      {{"flash", "--drive", "0", path("GONE.CVT"), "--yes"}, false, "", 1, "does not fit drive 0"},
      {{"flash", "--drive", "1", path("VR0404A-0130.CVT"), "--yes"}, false, "", 1, "is updated by Corvel"},
      {{"flash", "--drive", "5", path("VR0404A-0130.CVT"), "--yes"}, false, "", 2, "there is no drive 5"},
      {{"flash", "--drive", "0"}, false, "", 2, "flash needs the firmware FILE"},
  };
  for (const Case& c : cases) {
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

}  // namespace
}  // namespace quillon::cli
