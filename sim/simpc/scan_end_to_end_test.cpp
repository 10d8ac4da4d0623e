// simpc and quillon-scan as a person runs them: a machine made from the built-in description
// into a scratch folder, then scanned over each interface.

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

// The built-in machine's three drives, each as one row of the list.
const char* const kDefaultRows[] = {
    "0      0:0:0      not classified               D:     VORANTE   VR1204A           2.00\n",
    "1      0:1:0      not classified               E:     VORANTE   VR2410A           3.00\n",
    "2      1:4:0      not classified               F:     VORANTE   VD0804A           1.05\n",
};

class ScanEndToEnd : public ::testing::Test {
 protected:
  Finished simpc(const std::string& words) { return runSimpc(SIMPC_PROGRAM, words, scratch_.path()); }
  std::string machine() const { return (scratch_.path() / "pc").native(); }
  void makeMachine(const std::string& from = "default") {
    ASSERT_EQ(simpc("new " + machine() + " --from " + from).status, 0);
  }

  platform::ScratchFolder scratch_{"simpc_scan"};
};

TEST_F(ScanEndToEnd, BothInterfacesFindTheDefaultMachinesDrives) {
  makeMachine();
  for (const char* interface : {"aspi", "spti"}) {
    Finished scan = simpc("scan " + machine() + " --interface " + interface);
    EXPECT_EQ(scan.status, 0) << scan.err;
    std::string name = std::string(interface) == "aspi" ? "ASPI_INTERFACE" : "SPTI_INTERFACE";
    EXPECT_NE(scan.out.find("Interface: " + name + " (asked for " + name + ")\n5 drives:\n"), std::string::npos)
        << scan.out;
    for (const char* row : kDefaultRows) EXPECT_NE(scan.out.find(row), std::string::npos) << interface << scan.out;
    // A scan that worked needs no word from simpc.
    EXPECT_EQ(scan.out.find("simpc:"), std::string::npos);
  }
  std::string log = readFile(scratch_.path() / "pc" / "files" / "Logging.Log");
  EXPECT_NE(log.find("Info : (1,4,0) => VORANTE VD0804A 1.05."), std::string::npos) << log;
}

TEST_F(ScanEndToEnd, JsonHasStandardOutputToItself) {
  makeMachine();
  Finished scan = simpc("scan --json --trace 2 " + machine());
  ASSERT_EQ(scan.status, 0) << scan.err;
  auto document = nlohmann::json::parse(scan.out);
  EXPECT_EQ(document["interface"], "SPTI_INTERFACE");
  ASSERT_EQ(document["drives"].size(), 5u);
  EXPECT_EQ(document["drives"][2]["product"], "VD0804A");
  EXPECT_EQ(document["drives"][2]["letter"], "F");
  EXPECT_EQ(document["trace"][0]["line"], "** Inquiry : SPTI : SCSISTAT_GOOD (01:00:00) (P0:B0:T0:L0) (D)");
  // The status log's entries went to standard error.
  EXPECT_NE(scan.err.find("Info : (0,0,0) => VORANTE VR1204A 2.00."), std::string::npos) << scan.err;
}

TEST_F(ScanEndToEnd, AspiOnAMachineWithoutItFails) {
  auto description = nlohmann::json::parse(readFile(fs::path(DEFAULT_MACHINE_FOLDER) / "machine.json"));
  description["aspi"]["installed"] = false;
  std::ofstream(scratch_.path() / "machine.json") << description.dump(2);
  for (const char* part : {"firmware.json", "oem.json"})
    fs::copy_file(fs::path(DEFAULT_MACHINE_FOLDER) / part, scratch_.path() / part);
  makeMachine((scratch_.path() / "machine.json").native());
  Finished scan = simpc("scan " + machine() + " --interface aspi");
  EXPECT_EQ(scan.status, 1);
  EXPECT_NE(scan.err.find("quillon-scan: ASPI is not installed on this machine: WNASPI32 cannot be loaded\n"),
            std::string::npos)
      << scan.err;
  EXPECT_NE(scan.out.find("simpc: quillon-scan exited with status 1\n"), std::string::npos) << scan.out;
}

TEST_F(ScanEndToEnd, AWrongOptionGivesTheUsage) {
  Finished scan = simpc("scan --trace 9");
  EXPECT_EQ(scan.status, 2);
  EXPECT_NE(scan.err.find("simpc: --trace takes a level from 0 to 3\nusage: simpc new DIR"), std::string::npos)
      << scan.err;
  EXPECT_NE(scan.err.find("simpc scan [DIR] [--interface aspi|spti|default] [--trace 0-3] [--json]"),
            std::string::npos);
}

}  // namespace
