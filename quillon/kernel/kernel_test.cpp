#include "quillon/kernel/kernel.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "quillon/drive/drive_results.h"
#include "quillon/gui/logging.h"
#include "quillon/kernel/kernel_test_support.h"
#include "quillon/kernel/matching.h"

namespace quillon {
namespace {

using testing::KernelBench;
using testing::oemEntry;

sim::Identity vorante(const std::string& product, const std::string& revision = "1.00") {
  return {"VORANTE", product, revision, ""};
}

sim::FirmwareSpec firmware(const std::string& model, const std::string& revision) {
  sim::FirmwareSpec spec;
  spec.model = model;
  spec.revision = revision;
  return spec;
}

std::vector<std::string> names(const std::vector<FirmwareEntry>& table) {
  std::vector<std::string> result;
  for (const FirmwareEntry& entry : table) result.emplace_back(fieldText(entry.fileName));
  return result;
}

class KernelTest : public ::testing::Test {
 protected:
  void addDrive(int target, const std::string& product, sim::Faults faults = {}) {
    bench_.machine.bus().addDrive({0, 0, static_cast<std::uint8_t>(target), 0}, static_cast<char>('D' + target),
                                  vorante(product), faults);
  }
  std::vector<FirmwareEntry> table(Kernel& kernel, int drive, ResultCode expected = kSuccess) {
    int count = -1;
    std::vector<FirmwareEntry> entries;
    EXPECT_EQ(kernel.GetFWTable(drive, bench_.folder().native(), count, entries), expected);
    EXPECT_EQ(count, static_cast<int>(entries.size()));
    return entries;
  }

  LogCapture log_;
  KernelBench bench_;
};

TEST_F(KernelTest, TheLogoComesFromTheFirstRecordAndAMissingFileIsTheLoadersCode) {
  std::string name = "stale";
  EXPECT_EQ(bench_.start(kOemNotFound).GetLogoFile(name), kOemNotFound);
  EXPECT_TRUE(name.empty());
  bench_.writeOem({oemEntry("VR0404A", 1)});
  EXPECT_EQ(bench_.start().GetLogoFile(name), kSuccess);
  EXPECT_EQ(name, "Logo.bmp");
}

TEST_F(KernelTest, DrivesAreSupportedByRecordsWithTheirVendorAndProductAndCollectEveryPattern) {
  addDrive(0, "VR0404A");
  addDrive(1, "VR0604A");
  bench_.writeOem({oemEntry("VR0404A", 1, "1.1*"), oemEntry("VR9999A", 5), oemEntry("VR0404A", 1, "2.**"),
                   oemEntry("VR0604A", 2, "****", "A7")});
  Kernel& kernel = bench_.start();
  ASSERT_EQ(bench_.driveCount(), 2);
  EXPECT_EQ(bench_.drive(0).supported, 1);
  EXPECT_EQ(bench_.drive(0).driveType, 1);
  EXPECT_EQ(kernel.allowedRevisions(0), (std::vector<std::string>{"1.1*", "2.**"}));
  EXPECT_EQ(bench_.drive(1).supported, 1) << "drive types below 3 never ask for the skew";
  EXPECT_EQ(kernel.allowedRevisions(1), (std::vector<std::string>{"****"}));
}

TEST_F(KernelTest, ADriveWithoutAnyFittingRecordIsUnsupportedAndTheListStillSucceeds) {
  addDrive(0, "VR0404A");
  bench_.writeOem({oemEntry("VR0808A", 4)});
  int count = 0;
  DriveRecord* drives = nullptr;
  Kernel& kernel = bench_.start();
  EXPECT_EQ(bench_.drive(0).supported, 0);
  EXPECT_EQ(bench_.drive(0).driveType, 0);
  EXPECT_EQ(kernel.GetDriveList(count, drives), kSuccess) << "a second call only hands the list out";
  EXPECT_EQ(count, 1);
}

TEST_F(KernelTest, TheFirmwareTableListsOnlyFilesOfTheDrivesTypeAndAnAllowedRevision) {
  addDrive(0, "VR0404A");
  bench_.writeOem({oemEntry("VR0404A", 1, "1.1*"), oemEntry("VR0404A", 1, "3.0")});
  bench_.writeFirmware("FITS.CVT", firmware("VR0404A", "1.12"));
  bench_.writeFirmware("OTHERTYPE.CVT", firmware("VR0604A", "1.12"));
  bench_.writeFirmware("OLDER.CVT", firmware("VR0404A", "1.05"));
  bench_.writeFirmware("THREE.CVT", firmware("VR0404A", "3.0 "));
  bench_.writeFirmware("NOTCVT.BIN", firmware("VR0404A", "1.12"));
  Kernel& kernel = bench_.start();
  std::vector<FirmwareEntry> entries = table(kernel, 0);
  EXPECT_EQ(names(entries), (std::vector<std::string>{"FITS.CVT"}));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(fieldText(entries[0].revision), "1.12");
  EXPECT_FALSE(fieldText(entries[0].date).empty());
  EXPECT_TRUE(log_.contains(LogLevel::Info, bench_.folder().native() + "/OTHERTYPE.CVT, No Match, Drive:1, Fw:2"));
  EXPECT_TRUE(log_.contains(LogLevel::Info, "FW No Match VORANTE VR0404A 1.00 D:\\, 1.05"));
  EXPECT_TRUE(log_.contains(LogLevel::Info, "FW    Match VORANTE VR0404A 1.00 D:\\, 1.12"));
}

TEST_F(KernelTest, OnlyTheLastFilesErrorShowsInTheTableResult) {
  addDrive(0, "VR0404A");
  bench_.writeOem({oemEntry("VR0404A", 1)});
  bench_.writeFirmware("A.CVT", firmware("VR0404A", "1.00"));
  bench_.writeFile("B.CVT", {'V', 'o'});
  Kernel& kernel = bench_.start();
  EXPECT_EQ(names(table(kernel, 0, kFwReadError)), (std::vector<std::string>{"A.CVT"}));
  std::filesystem::rename(bench_.folder() / "B.CVT", bench_.folder() / "0.CVT");
  EXPECT_EQ(names(table(kernel, 0)), (std::vector<std::string>{"A.CVT"})) << "an earlier failure is overwritten";
}

TEST_F(KernelTest, AnEmptyFolderOrAnUnknownDriveGiveNoTable) {
  addDrive(0, "VR0404A");
  bench_.writeOem({oemEntry("VR0404A", 1)});
  Kernel& kernel = bench_.start();
  EXPECT_TRUE(table(kernel, 0).empty());
  EXPECT_TRUE(table(kernel, 1, kKnlIllegalDriveHandle).empty());
  EXPECT_TRUE(table(kernel, -1, kKnlIllegalDriveHandle).empty());
  EXPECT_TRUE(log_.contains(LogLevel::Error, "KNL: Illegal drive handle in 'GetFWTable'"));
}

TEST_F(KernelTest, TestMediaTellsADiscFromAnEmptyDrive) {
  addDrive(0, "VR0404A");
  addDrive(1, "VR0404A", {.mediumPresent = true});
  bench_.writeOem({oemEntry("VR0404A", 1)});
  Kernel& kernel = bench_.start();
  bool medium = true;
  EXPECT_EQ(kernel.TestMedia(0, medium), kSuccess);
  EXPECT_FALSE(medium);
  EXPECT_EQ(kernel.TestMedia(1, medium), kSuccess);
  EXPECT_TRUE(medium);
  EXPECT_EQ(kernel.TestMedia(2, medium), kInvalidDriveHandle);
}

TEST_F(KernelTest, AFileForAnotherDriveTypeIsRefusedBeforeAnyBlockIsSent) {
  addDrive(0, "VR0404A");
  bench_.writeOem({oemEntry("VR0404A", 1)});
  std::string path = bench_.writeFirmware("OTHER.CVT", firmware("VR0604A", "1.00"));
  Kernel& kernel = bench_.start();
  bench_.machine.bus().clearCalls();
  EXPECT_EQ(kernel.FlashFirmware(0, path, false), kKnlNoMatch);
  EXPECT_EQ(bench_.machine.bus().count({0, 0, 0, 0}, 0x3B), 0);
  EXPECT_EQ(kernel.FlashFirmware(3, path, false), kKnlIllegalDriveHandle);
}

TEST_F(KernelTest, AMissingOrDeletedFileEndsTheFlashWithTheLoadersCode) {
  addDrive(0, "VR0404A");
  bench_.writeOem({oemEntry("VR0404A", 1)});
  Kernel& kernel = bench_.start();
  EXPECT_EQ(kernel.FlashFirmware(0, (bench_.folder() / "GONE.CVT").native(), false), kFwFileNotFound);
  EXPECT_EQ(kernel.FlashCombiFirmware(0, (bench_.folder() / "GONE.CVT").native(), false), kFwFileNotFound);
}

TEST_F(KernelTest, OnSptiUnderXpADriveOfType11IsRefusedBeforeTheFileIsRead) {
  addDrive(0, "VR2010A");
  bench_.writeOem({oemEntry("VR2010A", 11)});
  Kernel& kernel = bench_.start();
  bench_.machine.bus().clearCalls();
  EXPECT_EQ(kernel.FlashFirmware(0, (bench_.folder() / "GONE.CVT").native(), false), kNoAspiLayer);
  EXPECT_TRUE(bench_.machine.bus().calls().empty());
}

TEST(KernelLifetime, DestructionReleasesTheDrivesFirstAndLogsInOrder) {
  LogCapture log;
  {
    KernelBench bench;
    bench.writeOem({oemEntry("VR0404A", 1)});
    bench.start();
  }
  std::vector<std::string> order;
  for (const auto& entry : log.entries())
    if (entry.text.find("estructor") != std::string::npos) order.push_back(entry.text);
  EXPECT_EQ(order, (std::vector<std::string>{"DRI: Destructor Called", "KNL: Destructor called.",
                                             "FWI: Destructor called", "CIM: Destructor called"}));
}

}  // namespace
}  // namespace quillon
