// From firmware file to flashed drive: the Kernel's flash sequences against the maker's
// emulated drives, for every command form, and the faults a flash can meet.

#include <gtest/gtest.h>

#include "quillon/drive/drive_results.h"
#include "quillon/gui/logging.h"
#include "quillon/kernel/kernel.h"
#include "quillon/kernel/kernel_test_support.h"
#include "quillon/kernel/matching.h"
#include "sim/drives/vorante/vorante_test_support.h"

namespace quillon {
namespace {

using sim::vorante::testing_support::cutFirmware;
using sim::vorante::testing_support::firmwareOf;
using sim::vorante::testing_support::specFor;
using testing::KernelBench;
using testing::oemEntry;

constexpr std::uint32_t kLongEnoughToProgramMs = 60000;

class KernelFlashTest : public ::testing::Test {
 protected:
  // A drive of the maker with an erased flash of its type's size, supported by the OEM file.
  void addDrive(int driveType, sim::vorante::DriveSetup setup = {}, sim::Faults faults = {}) {
    setup.driveType = driveType;
    std::string product = specFor(driveType, "1.00").model;
    flash_ = std::make_shared<sim::vorante::MemoryFlash>(
        std::vector<std::uint8_t>(sim::vorante::profileOf(driveType).flashSize(), 0xFF));
    faults_ = std::make_shared<sim::Faults>(faults);
    drive_ = &bench_.machine.bus().addDrive(
        {0, 0, 0, 0}, 'D', {"VORANTE", product, "1.00", ""}, {},
        std::make_unique<sim::vorante::VorantePersonality>(setup, flash_, faults_));
    bench_.writeOem({oemEntry(product, static_cast<std::uint32_t>(driveType))});
  }
  Kernel& start() {
    Kernel& kernel = bench_.start();
    kernel.SelectInterface(0);
    return kernel;
  }
  // Lets the drive finish programming and takes its answer, as a host that waits would.
  void programmed(Kernel& kernel) {
    bench_.machine.clock.advance(kLongEnoughToProgramMs);
    bool medium = true;
    EXPECT_EQ(kernel.TestMedia(0, medium), kSuccess);
  }
  std::vector<std::uint8_t> erased() const { return std::vector<std::uint8_t>(flash_->read().size(), 0xFF); }

  LogCapture log_;
  KernelBench bench_;
  std::shared_ptr<sim::vorante::MemoryFlash> flash_;
  std::shared_ptr<sim::Faults> faults_;
  sim::EmulatedDrive* drive_ = nullptr;
};

struct FormCase {
  int driveType;
  PlatformCode platform;
};

void PrintTo(const FormCase& c, std::ostream* out) { *out << "drive type " << c.driveType << " on " << c.platform; }

class EveryCommandForm : public KernelFlashTest, public ::testing::WithParamInterface<FormCase> {};

TEST_P(EveryCommandForm, LeavesTheFlashHoldingExactlyTheFirmwareData) {
  auto [driveType, platform] = GetParam();
  bench_.machine.setPlatform(platform);
  addDrive(driveType);
  std::vector<std::uint8_t> file = sim::buildFirmware(specFor(driveType, "2.50"));
  std::string path = bench_.writeFile("NEW.CVT", file);
  Kernel& kernel = start();
  ASSERT_EQ(kernel.FlashFirmware(0, path, false), kSuccess);
  programmed(kernel);
  EXPECT_TRUE(flash_->read() == firmwareOf(file).data);
  EXPECT_EQ(drive_->identity().revision, "2.50");
  EXPECT_TRUE(log_.contains(LogLevel::Info, "FW downloaded successfully"));
}

INSTANTIATE_TEST_SUITE_P(ByDriveType, EveryCommandForm,
                         ::testing::Values(FormCase{1, kPlatformWindowsXp}, FormCase{2, kPlatformWindowsXp},
                                           FormCase{3, kPlatformWindowsXp}, FormCase{4, kPlatformWindows98},
                                           FormCase{5, kPlatformWindows2000}, FormCase{6, kPlatformWindowsXp},
                                           FormCase{7, kPlatformWindowsXp}, FormCase{7, kPlatformWindows98},
                                           FormCase{8, kPlatformWindowsXp}, FormCase{11, kPlatformWindowsXp},
                                           FormCase{16, kPlatformWindowsXp}, FormCase{31, kPlatformWindowsXp}));

TEST_F(KernelFlashTest, ADualFileGivesTheDriveTheHalfItsEftimNumberSelects) {
  addDrive(6, {.eftim = std::string("\x05", 1) + "1"});
  sim::FirmwareSpec first = specFor(6, "2.60"), second = specFor(6, "2.61");
  std::vector<std::uint8_t> dual = sim::buildDualFirmware(first, second);
  std::string path = bench_.writeFile("DUAL.CVT", dual);
  Kernel& kernel = start();
  ASSERT_EQ(kernel.FlashFirmware(0, path, false), kSuccess);
  programmed(kernel);
  EXPECT_TRUE(flash_->read() == cutFirmware(dual, 0, std::string("\x05", 1)).data);
  EXPECT_EQ(drive_->identity().revision, "2.61");
}

TEST_F(KernelFlashTest, ACombinedFileFlashesTheCdPartThenTheDvdPart) {
  addDrive(14);
  std::vector<std::uint8_t> combined = sim::buildCombinedFirmware(specFor(14, "1.40"), specFor(14, "1.41"));
  std::string path = bench_.writeFile("COMBI.CVT", combined);
  Kernel& kernel = start();
  ASSERT_EQ(kernel.FlashCombiFirmware(0, path, false), kSuccess);
  programmed(kernel);
  std::vector<std::uint8_t> expected = cutFirmware(combined, 100).data;
  std::vector<std::uint8_t> dvd = cutFirmware(combined, 101).data;
  expected.insert(expected.end(), dvd.begin(), dvd.end());
  EXPECT_TRUE(flash_->read() == expected);
  EXPECT_TRUE(log_.contains(LogLevel::Info, "Flashing the DVD part of the Combi cvt-file."));
}

TEST_F(KernelFlashTest, AFactorySettingIsPutBackToZeroBeforeTheFlash) {
  addDrive(11, {.factorySetting = 0x12});
  std::string path = bench_.writeFile("NEW.CVT", sim::buildFirmware(specFor(11, "2.50")));
  Kernel& kernel = start();
  ASSERT_EQ(kernel.FlashFirmware(0, path, false), kSuccess);
  EXPECT_TRUE(log_.contains(LogLevel::Info, "FFW Factory setting detected: 0x12. This value should be 0x00"));
  programmed(kernel);
  EXPECT_EQ(drive_->identity().revision, "2.50");
}

TEST_F(KernelFlashTest, KeepUnflashedStopsAfterTheDownload) {
  addDrive(1);
  std::string path = bench_.writeFile("NEW.CVT", sim::buildFirmware(specFor(1, "2.50")));
  Kernel& kernel = start();
  ASSERT_EQ(kernel.FlashFirmware(0, path, true), kSuccess);
  programmed(kernel);
  EXPECT_TRUE(flash_->read() == erased());
  EXPECT_EQ(drive_->identity().revision, "1.00");
}

struct FaultCase {
  const char* name;
  int driveType;
  sim::Faults faults;
  ResultCode expected;  // kSuccess: the fault is overcome
};

void PrintTo(const FaultCase& c, std::ostream* out) { *out << c.name; }

class FlashFaults : public KernelFlashTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(FlashFaults, EndWithTheStepsCodeAndLeaveTheFlashAsItWasUnlessOvercome) {
  const FaultCase& c = GetParam();
  addDrive(c.driveType, {}, c.faults);
  std::vector<std::uint8_t> file = sim::buildFirmware(specFor(c.driveType, "2.50"));
  std::string path = bench_.writeFile("NEW.CVT", file);
  Kernel& kernel = start();
  EXPECT_EQ(kernel.FlashFirmware(0, path, false), c.expected);
  bench_.machine.clock.advance(kLongEnoughToProgramMs);
  if (c.expected == kSuccess) {
    EXPECT_TRUE(flash_->read() == firmwareOf(file).data);
    return;
  }
  EXPECT_TRUE(flash_->read() == erased());
  EXPECT_FALSE(log_.contains(LogLevel::Info, "FW downloaded successfully"));
}

INSTANTIATE_TEST_SUITE_P(
    DuringTheDownload, FlashFaults,
    ::testing::Values(FaultCase{"verified block failing once", 1, {.failingBlock = 3}, kSuccess},
                      FaultCase{"verified block failing always", 1, {.failingBlock = 3, .failingBlockAlways = true},
                                kAspiSendError},
                      FaultCase{"read-back differing once", 1, {.corruptReadBackAt = 20000}, kSuccess},
                      FaultCase{"read-back differing always", 1,
                                {.corruptReadBackAt = 20000, .corruptReadBackAlways = true}, kVerificationError},
                      FaultCase{"vendor block failing once", 3, {.failingBlock = 5}, kAspiSendError},
                      FaultCase{"drive hanging at a verified block", 1, {.timeoutFromBlock = 4}, kAspiSendError},
                      FaultCase{"drive hanging at a vendor block", 16, {.timeoutFromBlock = 9}, kAspiSendError}),
    [](const ::testing::TestParamInfo<FaultCase>& info) {
      std::string name = info.param.name;
      for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      return name;
    });

TEST_F(KernelFlashTest, AFileWithAWrongChecksumNeverReachesTheDrive) {
  addDrive(3);
  sim::FirmwareSpec spec = specFor(3, "2.50");
  spec.badRotated = true;
  std::string path = bench_.writeFirmware("BAD.CVT", spec);
  Kernel& kernel = start();
  bench_.machine.bus().clearCalls();
  EXPECT_EQ(kernel.FlashFirmware(0, path, false), kFwIllegalFile);
  EXPECT_EQ(bench_.machine.bus().count({0, 0, 0, 0}, 0xFA), 0);
  EXPECT_TRUE(flash_->read() == erased());
}

}  // namespace
}  // namespace quillon
