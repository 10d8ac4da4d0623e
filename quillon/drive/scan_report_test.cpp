#include "quillon/drive/scan_report.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "platform/host_loader.h"
#include "quillon/drive/test_host.h"
#include "quillon/gui/logging.h"

namespace quillon {
namespace {

using testing::TestMachine;

struct Scanned {
  int status = 0;
  std::string out;
  std::string err;
  bool has(std::string_view line) const { return out.find(std::string(line) + "\n") != std::string::npos; }
};

// Drives D: and E: on an IDE channel, and one without a letter on a SCSI adapter, which only
// ASPI can find.
class ScanTest : public ::testing::Test {
 protected:
  explicit ScanTest(PlatformCode platform = kPlatformWindowsXp) : machine_(platform) {
    bus().addAdapter(0, "ESDI_506");
    bus().addAdapter(1, "AHA-2940");
  }
  testing::TestBus& bus() { return machine_.bus(); }
  void addDrives() {
    bus().addDrive({0, 0, 0, 0}, 'D', testing::cdromIdentity("CDRW 1204A"));
    bus().addDrive({0, 0, 1, 0}, 'E', {"VORANTE", "VR2410A", "3.00", "V001"});
    bus().addDrive({1, 0, 4, 0}, std::nullopt, testing::cdromIdentity("DVD 0804A"));
  }
  Scanned scan(ScanOptions options) {
    std::ostringstream out;
    std::ostringstream err;
    int status = runScan(options, out, err);
    return {status, out.str(), err.str()};
  }

  TestMachine machine_;
  LogCapture log_;
};

TEST_F(ScanTest, SptiListsTheLetteredDrivesAsQuillonSeesThem) {
  addDrives();
  Scanned scanned = scan({.interface = SPTI_INTERFACE});
  EXPECT_EQ(scanned.status, 0);
  EXPECT_EQ(scanned.out,
            "Interface: SPTI_INTERFACE (asked for SPTI_INTERFACE)\n"
            "2 drives:\n"
            "Index  Address    Adapter class                Letter Vendor    Product           Revision\n"
            "0      0:0:0      not classified               D:     QUILLON   CDRW 1204A        1.00\n"
            "1      0:1:0      not classified               E:     VORANTE   VR2410A           3.00\n"
            "Quillon classifies adapters on Windows 95, 98 and ME only.\n");
  EXPECT_TRUE(scanned.err.empty());
  // The drive list's own lines went to the status log, not into the report.
  EXPECT_TRUE(log_.contains(LogLevel::Info, "(0,1,0) => VORANTE VR2410A 3.00."));
  EXPECT_TRUE(log_.contains(LogLevel::Info, "Platform is Windows XP V5.01 (2600) Service Pack 2"));
  EXPECT_TRUE(log_.contains(LogLevel::Info, "DRI: Destructor Called"));
}

TEST_F(ScanTest, AspiAlsoFindsTheDriveWithoutALetter) {
  addDrives();
  for (Interface interface : {ASPI_INTERFACE, DEFAULT_INTERFACE}) {
    Scanned scanned = scan({.interface = interface});
    EXPECT_EQ(scanned.status, 0);
    if (interface == ASPI_INTERFACE) {
      EXPECT_TRUE(scanned.has("Interface: ASPI_INTERFACE (asked for ASPI_INTERFACE)"));
      EXPECT_TRUE(scanned.has("3 drives:"));
      EXPECT_TRUE(scanned.has("2      1:4:0      not classified               ?:     QUILLON   DVD 0804A         1.00"));
    } else {
      // SPTI finds drives, so the default never tries ASPI.
      EXPECT_TRUE(scanned.has("Interface: SPTI_INTERFACE (asked for DEFAULT_INTERFACE)"));
      EXPECT_TRUE(scanned.has("2 drives:"));
    }
  }
}

class Windows98Scan : public ScanTest {
 protected:
  Windows98Scan() : ScanTest(kPlatformWindows98) {}
};

TEST_F(Windows98Scan, AdaptersAreClassifiedAndSptiIsRefused) {
  addDrives();
  Scanned scanned = scan({});
  EXPECT_EQ(scanned.status, 0);
  EXPECT_TRUE(scanned.has("Interface: ASPI_INTERFACE (asked for DEFAULT_INTERFACE)"));
  EXPECT_TRUE(scanned.has("0      0:0:0      IDE/ATAPI adapter            D:     QUILLON   CDRW 1204A        1.00"));
  EXPECT_TRUE(scanned.has("2      1:4:0      SCSI adapter                 ?:     QUILLON   DVD 0804A         1.00"));
  EXPECT_EQ(scanned.out.find("classifies adapters"), std::string::npos);

  scanned = scan({.interface = SPTI_INTERFACE});
  EXPECT_EQ(scanned.status, 1);
  EXPECT_TRUE(scanned.out.empty());
  EXPECT_EQ(scanned.err, "quillon-scan: SPTI is not available on Windows 95, 98 and ME, which reach their drives "
                         "through ASPI only\n");
}

TEST_F(ScanTest, AspiAskedForWithoutAspiInstalledFails) {
  addDrives();
  machine_.host.installed.erase("WNASPI32");
  Scanned scanned = scan({.interface = ASPI_INTERFACE});
  EXPECT_EQ(scanned.status, 1);
  EXPECT_TRUE(scanned.out.empty());
  EXPECT_EQ(scanned.err, "quillon-scan: ASPI is not installed on this machine: WNASPI32 cannot be loaded\n");
}

TEST_F(ScanTest, NoDrivesSaysSoAndWhatToCheck) {
  struct Case {
    Interface interface;
    bool aspiInstalled;
    std::string advice;
  };
  const Case cases[] = {
      {SPTI_INTERFACE, true, "Check that the machine has CD-ROM drives: SPTI finds only those with a drive letter "
                             "(C: to Z:)."},
      {ASPI_INTERFACE, true, "Check that the machine has CD-ROM drives: ASPI finds those on the host adapters that "
                             "answer it."},
      {DEFAULT_INTERFACE, false, "Check that the machine has CD-ROM drives: SPTI finds only those with a drive letter "
                                 "(C: to Z:); ASPI is not installed on this machine (no WNASPI32)."},
  };
  bus().addDisk({0, 0, 0, 0}, 'C');
  for (const Case& test : cases) {
    if (!test.aspiInstalled) machine_.host.installed.erase("WNASPI32");
    Scanned scanned = scan({.interface = test.interface});
    EXPECT_EQ(scanned.status, 0);
    EXPECT_TRUE(scanned.has("Interface: NO_INTERFACE (asked for " + std::string(interfaceName(test.interface)) + ")"));
    EXPECT_TRUE(scanned.has("No drives found.")) << scanned.out;
    EXPECT_TRUE(scanned.has(test.advice)) << scanned.out;
  }
}

TEST_F(ScanTest, APcWithoutABusSaysNoMachineIsAttached) {
  platform::ScopedHost bare(platform::bareHost());
  Scanned scanned = scan({});
  EXPECT_EQ(scanned.status, 0);
  EXPECT_TRUE(scanned.has("No drives found."));
  EXPECT_TRUE(scanned.has("This PC has no SCSI bus: no machine is attached (QUILLON_MACHINE names none, or it could "
                          "not be attached)."));
}

// The drive list's INQUIRY of 56 bytes, traced on every device.
TEST_F(ScanTest, TraceLevelTwoShowsCommandsStatusesAndDumps) {
  bus().addDrive({0, 0, 0, 0}, 'D', testing::cdromIdentity("CDRW 1204A"));
  struct Case {
    Interface interface;
    std::string summary;
  };
  const Case cases[] = {
      {SPTI_INTERFACE, "** Inquiry : SPTI : SCSISTAT_GOOD (01:00:00) (P0:B0:T0:L0) (D)"},
      {ASPI_INTERFACE, "** Inquiry : ASPI : SS_COMP (01:00:00) (A0:T0:L0) "},
  };
  for (const Case& test : cases) {
    Scanned scanned = scan({.interface = test.interface, .traceLevel = kTraceDump});
    EXPECT_TRUE(scanned.has(test.summary)) << scanned.out;
    EXPECT_TRUE(scanned.has("** CDB (06 Bytes) : 12 00 00 00 38 00  (0.000 sec)"));
    EXPECT_TRUE(scanned.has("** No sense data available (00) - No additional information (00) (00)"));
    EXPECT_TRUE(scanned.has("** Data transfer (target to host - 0038 Bytes) "));
    EXPECT_TRUE(scanned.has("0000 : 05 80 00 02 5b 00 00 00  51 55 49 4c 4c 4f 4e 20   ....[...QUILLON "))
        << scanned.out;
    // The trace comes before the list it builds.
    EXPECT_LT(scanned.out.find("** Inquiry"), scanned.out.find("Interface: "));
  }
}

TEST_F(ScanTest, TraceShowsTheStatusOfAFailedCommand) {
  // The two scans' INQUIRY commands are answered; the drive list's is not.
  bus().addDrive({0, 0, 0, 0}, 'D', testing::cdromIdentity(), {.timeoutFromCommand = 3});
  Scanned scanned = scan({.interface = SPTI_INTERFACE, .traceLevel = kTraceDump});
  EXPECT_EQ(scanned.status, 0);
  EXPECT_EQ(scanned.out.substr(0, scanned.out.find("Interface: ")),
            "** Inquiry : SPTI : DeviceIoCtrl error (0079) (04:FF:FF) (P0:B0:T0:L0) (D)\n"
            "** (0079) The semaphore timeout period has expired.\n"
            "** CDB (06 Bytes) : 12 00 00 00 38 00  (0.000 sec)\n"
            "** User defined (FF) - Timeout occurred (FF) (FF)\n"
            "\n");
  // The drive is listed all the same, without the texts its INQUIRY would have given.
  EXPECT_TRUE(scanned.has("0      0:0:0      not classified               D:"));
}

TEST_F(ScanTest, TraceLevelsBelowTwoShowNoDump) {
  bus().addDrive({0, 0, 0, 0}, 'D', testing::cdromIdentity());
  Scanned summary = scan({.interface = SPTI_INTERFACE, .traceLevel = kTraceSummary});
  EXPECT_TRUE(summary.has("** Data transfer (target to host - 0038 Bytes) "));
  EXPECT_EQ(summary.out.find("0000 : "), std::string::npos);
  Scanned none = scan({.interface = SPTI_INTERFACE, .traceLevel = kTraceNone});
  EXPECT_EQ(none.out.find("**"), std::string::npos);
}

TEST_F(ScanTest, JsonCarriesTheDrivesAndTheTrace) {
  addDrives();
  Scanned scanned = scan({.interface = ASPI_INTERFACE, .traceLevel = kTraceSummary, .json = true});
  ASSERT_EQ(scanned.status, 0);
  auto document = nlohmann::json::parse(scanned.out);
  EXPECT_EQ(document["requested"], "ASPI_INTERFACE");
  EXPECT_EQ(document["interface"], "ASPI_INTERFACE");
  ASSERT_EQ(document["drives"].size(), 3u);
  const auto& first = document["drives"][0];
  EXPECT_EQ(first["letter"], "D");
  EXPECT_EQ(first["product"], "CDRW 1204A");
  EXPECT_EQ(first["vendorSpecific"], "Q042");
  EXPECT_EQ(first["adapterClassName"], "not classified");
  EXPECT_TRUE(document["drives"][2]["letter"].is_null());
  EXPECT_EQ(document["drives"][2]["adapter"], 1);
  EXPECT_EQ(document["drives"][2]["target"], 4);
  // Five lines a command at level 1, one command per device.
  ASSERT_EQ(document["trace"].size(), 15u);
  EXPECT_EQ(document["trace"][10]["device"], 3);
  EXPECT_EQ(document["trace"][10]["line"], "** Inquiry : ASPI : SS_COMP (01:00:00) (A1:T4:L0) ");
}

TEST(ScanOptionsTest, WordsAreReadOrRefused) {
  struct Case {
    std::vector<std::string> words;
    std::optional<ScanOptions> expected;
    std::string error;
  };
  const Case cases[] = {
      {{}, ScanOptions{}, ""},
      {{"--interface", "aspi", "--trace", "3", "--json"}, ScanOptions{ASPI_INTERFACE, 3, true}, ""},
      {{"--trace", "0", "--interface", "spti"}, ScanOptions{SPTI_INTERFACE, 0, false}, ""},
      {{"--interface", "default"}, ScanOptions{DEFAULT_INTERFACE, 0, false}, ""},
      {{"--interface", "scsi"}, std::nullopt, "--interface takes aspi, spti or default"},
      {{"--interface"}, std::nullopt, "--interface takes aspi, spti or default"},
      {{"--trace", "4"}, std::nullopt, "--trace takes a level from 0 to 3"},
      {{"--trace", "-1"}, std::nullopt, "--trace takes a level from 0 to 3"},
      {{"--trace"}, std::nullopt, "--trace takes a level from 0 to 3"},
      {{"D"}, std::nullopt, "unexpected D"},
  };
  for (const Case& test : cases) {
    std::string error;
    auto options = parseScanOptions(test.words, error);
    EXPECT_EQ(error, test.error);
    ASSERT_EQ(options.has_value(), test.expected.has_value()) << error;
    if (!options) continue;
    EXPECT_EQ(options->interface, test.expected->interface);
    EXPECT_EQ(options->traceLevel, test.expected->traceLevel);
    EXPECT_EQ(options->json, test.expected->json);
  }
}

}  // namespace
}  // namespace quillon
