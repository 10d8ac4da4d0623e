#include "sim/drives/vorante/vorante_personality.h"

#include <gtest/gtest.h>

#include "quillon/drive/diagnostics_code.h"
#include "sim/drives/vorante/vorante_test_support.h"

namespace sim::vorante {
namespace {

using namespace testing_support;

struct FlashCase {
  int driveType;
  bool longForm;  // what a host on Windows 2000 or XP sends drive types 7, 9, 10 and 12 on
};

void PrintTo(const FlashCase& c, std::ostream* out) { *out << "type " << c.driveType << (c.longForm ? " long" : ""); }

class FlashesItsFirmware : public VoranteDriveTest, public ::testing::WithParamInterface<FlashCase> {};

// Sends the firmware as the host sends it to this drive type, with the flash command that
// type 1 needs, and expects every command to be taken.
TEST_P(FlashesItsFirmware, AsTheHostSendsItForItsDriveType) {
  const FlashCase& c = GetParam();
  makeDrive(c.driveType);
  Firmware firmware = firmwareFor(c.driveType, "2.31");
  EXPECT_EQ(personality_->indicator(), Indicator::Off);
  if (c.driveType == 1) {
    EXPECT_TRUE(downloadVerified(firmware));
    EXPECT_EQ(flashCommand().status, platform::kStatusGood);
  } else {
    if (c.driveType == 2) {
      std::vector<std::uint8_t> answer(32);
      EXPECT_EQ(send(enableFlashBootCdb(), DataDirection::In, answer).transferred, 32u);
      EXPECT_TRUE(personality_->bootAfterFlash());
    }
    for (const Sense& outcome : downloadVendor(firmware, 0, c.longForm)) EXPECT_EQ(outcome, kNoSense);
  }
  EXPECT_EQ(tur(), kBecomingReady) << "programming the flash";
  EXPECT_EQ(personality_->indicator(), Indicator::Blinking);
  EXPECT_EQ(personality_->settledIndicator(), Indicator::SteadyOk);
  finishProgramming(firmware.data.size());
  EXPECT_EQ(tur(), kNoMediumTrayClosed);
  EXPECT_EQ(personality_->indicator(), Indicator::SteadyOk);
  EXPECT_EQ(identity().revision, "2.31");
  EXPECT_EQ(flash_->read(), firmware.data);
}

INSTANTIATE_TEST_SUITE_P(EveryForm, FlashesItsFirmware,
                         ::testing::Values(FlashCase{1, false}, FlashCase{2, false}, FlashCase{3, false},
                                           FlashCase{4, false}, FlashCase{5, false}, FlashCase{6, false},
                                           FlashCase{8, false}, FlashCase{11, false}, FlashCase{7, true},
                                           FlashCase{16, true}, FlashCase{16, false}, FlashCase{32, true}));

// The DVD part of a combined file continues at block byte 32 and shows its revision in the
// vendor-specific text, beside the CD-R/RW part's revision.
// The host sends the DVD part right after the CD-R/RW part; the drive programs both at once.
TEST_F(VoranteDriveTest, ACombinedDriveTakesItsTwoPartsOneAfterTheOther) {
  makeDrive(14);
  FirmwareSpec cd = specFor(14, "1.20"), dvd = specFor(14, "1.21");
  dvd.fill = {0x5A, 0xC3};
  std::vector<std::uint8_t> combined = buildCombinedFirmware(cd, dvd);
  Firmware cdPart = cutFirmware(combined, quillon::kCdPart);
  Firmware dvdPart = cutFirmware(combined, quillon::kDvdPart);
  std::vector<std::uint8_t> before = flash_->read();

  for (const Sense& outcome : downloadVendor(cdPart, 0, true)) EXPECT_EQ(outcome, kNoSense);
  EXPECT_EQ(flash_->read(), before) << "nothing is programmed before the DVD part is in";

  std::vector<Sense> dvdOutcomes = downloadVendor(dvdPart, 32, true);
  EXPECT_EQ(dvdOutcomes, std::vector<Sense>(16, kNoSense));
  finishProgramming(cdPart.data.size() + dvdPart.data.size());
  EXPECT_EQ(identity().revision, "1.20");
  EXPECT_EQ(identity().vendorSpecific, "1.21");
  std::vector<std::uint8_t> expected = cdPart.data;
  expected.insert(expected.end(), dvdPart.data.begin(), dvdPart.data.end());
  EXPECT_EQ(flash_->read(), expected);
}

struct DualCase {
  std::string eftim;
  bool secondHalf;
};

void PrintTo(const DualCase& c, std::ostream* out) { *out << "EFTIM byte " << int(c.eftim[0]); }

class DualHalfDrive : public VoranteDriveTest, public ::testing::WithParamInterface<DualCase> {};

// The host reads the EFTIM number, keeps the half of the dual file it selects and sends that.
TEST_P(DualHalfDrive, GetsTheHalfItsEftimNumberSelects) {
  makeDrive(DriveSetup{.driveType = 6, .eftim = GetParam().eftim});
  std::vector<std::uint8_t> number(4);
  ASSERT_EQ(send(readNumberCdb(kEftimNumber), DataDirection::In, number).transferred, 4u);
  FirmwareSpec first = specFor(6, "2.10"), second = specFor(6, "2.11");
  second.fill = {0x11, 0x22, 0x33};
  std::vector<std::uint8_t> dual = buildDualFirmware(first, second);
  Firmware half = cutFirmware(dual, 0, std::string(number.begin(), number.end()));
  for (const Sense& outcome : downloadVendor(half, 0, false)) EXPECT_EQ(outcome, kNoSense);
  finishProgramming(half.data.size());
  EXPECT_EQ(identity().revision, GetParam().secondHalf ? "2.11" : "2.10");
  EXPECT_EQ(flash_->read(), half.data);
}

INSTANTIATE_TEST_SUITE_P(ByEftim, DualHalfDrive,
                         ::testing::Values(DualCase{"\x05"
                                                    "1",
                                                    true},
                                           DualCase{"51", false}));

TEST_F(VoranteDriveTest, AnswersOnlyNotReadyWhileItProgramsItsFlash) {
  makeDrive(32);
  Firmware firmware = firmwareFor(32, "1.06");
  downloadVendor(firmware, 0, true);
  clock_.advance(programmingMs(firmware.data.size()) - 1);
  std::vector<std::uint8_t> data(platform::kSenseSize);
  EXPECT_EQ(send(sim::testing_support::inquiryCdb(96), DataDirection::In, data).status, platform::kStatusBusy);
  ASSERT_EQ(send(sim::testing_support::requestSenseCdb(18), DataDirection::In, data).status, platform::kStatusGood);
  EXPECT_EQ((Sense{data[2], data[12], data[13]}), kBecomingReady);
  EXPECT_EQ(senseOfLast(sendOut(vendorCdb(firmware.sums, 0, true), block(firmware, 0))), kBecomingReady);
  clock_.advance(1);
  EXPECT_EQ(identity().revision, "1.06") << "ready once 8 s have passed for its 2 MiB";
}

TEST_F(VoranteDriveTest, ReportsItsSkewAndEftimNumbers) {
  makeDrive(DriveSetup{.driveType = 6, .skew = "B3", .eftim = "\x05"});
  std::vector<std::uint8_t> skew(4, 0xEE), eftim(4, 0xEE);
  send(readNumberCdb(kSkewNumber), DataDirection::In, skew);
  send(readNumberCdb(kEftimNumber), DataDirection::In, eftim);
  EXPECT_EQ(skew, (std::vector<std::uint8_t>{'B', '3', 0, 0}));
  EXPECT_EQ(eftim, (std::vector<std::uint8_t>{5, 0, 0, 0}));
}

// As the host repairs the factory setting of a type-11 drive.
TEST_F(VoranteDriveTest, ReadsAndWritesTheFactorySettingOnlyInDiagnosticsMode) {
  makeDrive(DriveSetup{.driveType = 11, .factorySetting = 0x5C});
  std::vector<std::uint8_t> setting(4);
  EXPECT_EQ(senseOfLast(send(factorySettingCdb(kReadSetting), DataDirection::In, setting)), kInvalidOperationCode);
  std::string wrongCode(quillon::kDiagnosticsAccessCode);
  wrongCode.back() ^= 0x01;
  EXPECT_EQ(senseOfLast(send(enterDiagnosticsCdb(wrongCode))), kInvalidFieldInCdb);
  EXPECT_EQ(senseOfLast(send(enterDiagnosticsCdb(quillon::kDiagnosticsAccessCode))), kNoSense);
  ASSERT_EQ(send(factorySettingCdb(kReadSetting), DataDirection::In, setting).transferred, 4u);
  EXPECT_EQ(setting, (std::vector<std::uint8_t>{0x00, 0x5C, 0x00, 0x00}));
  EXPECT_EQ(senseOfLast(sendOut(factorySettingCdb(kWriteSetting), std::vector<std::uint8_t>{0, 0, 0, 0})), kNoSense);
  EXPECT_EQ(senseOfLast(send(leaveDiagnosticsCdb())), kNoSense);
  EXPECT_EQ(personality_->factorySetting(), 0x00);
  EXPECT_EQ(senseOfLast(send(factorySettingCdb(kReadSetting), DataDirection::In, setting)), kInvalidOperationCode);
}

}  // namespace
}  // namespace sim::vorante
