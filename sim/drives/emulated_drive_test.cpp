#include "sim/drives/emulated_drive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

#include "sim/drives/drive_test_support.h"

namespace sim {
namespace {

using namespace testing_support;
using platform::DataDirection;
using platform::kStatusCheckCondition;
using platform::kStatusGood;

constexpr std::uint8_t kGuard = 0xEE;

std::string text(const std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t length) {
  return std::string(bytes.begin() + from, bytes.begin() + from + length);
}

TEST_F(DriveTest, InquiryReportsTheIdentityInTheStandardLayout) {
  std::vector<std::uint8_t> data(56, kGuard);
  auto outcome = send(inquiryCdb(56), DataDirection::In, data);
  ASSERT_EQ(outcome.status, kStatusGood);
  EXPECT_EQ(outcome.transferred, 56u);
  EXPECT_EQ(data[0], 0x05);  // CD/DVD device, connected
  EXPECT_EQ(data[1], 0x80);  // removable
  EXPECT_EQ(data[3] & 0x0F, 0x02);
  EXPECT_EQ(data[4], kInquiryDataLength - 5);
  EXPECT_EQ(text(data, 8, 8), "QUILLON ");
  EXPECT_EQ(text(data, 16, 16), "CDRW 1204A      ");
  EXPECT_EQ(text(data, 32, 4), "1.00");
  EXPECT_EQ(text(data, 52, 4), "Q042");
}

struct TransferCase {
  const char* name;
  std::uint16_t allocation;
  std::size_t span;
  std::size_t transferred;
};

class InquiryTransfer : public DriveTest, public ::testing::WithParamInterface<TransferCase> {};

TEST_P(InquiryTransfer, MovesTheShortestOfAllocationDataAndSpan) {
  const TransferCase& c = GetParam();
  std::vector<std::uint8_t> buffer(c.span + 8, kGuard);
  auto outcome = send(inquiryCdb(c.allocation), DataDirection::In, std::span(buffer).first(c.span));
  ASSERT_EQ(outcome.status, kStatusGood);
  EXPECT_EQ(outcome.transferred, c.transferred);
  auto full = inquiryData(testIdentity());
  EXPECT_TRUE(std::equal(full.begin(), full.begin() + c.transferred, buffer.begin()));
  EXPECT_TRUE(std::all_of(buffer.begin() + c.transferred, buffer.end(), [](auto b) { return b == kGuard; }));
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, InquiryTransfer,
    ::testing::Values(TransferCase{"ShortAllocation", 36, 56, 36}, TransferCase{"LongAllocation", 255, 255, 96},
                      TransferCase{"TwoByteAllocation", 0x100, 300, 96}, TransferCase{"SmallSpan", 56, 20, 20},
                      TransferCase{"ZeroAllocation", 0, 56, 0}),
    [](const auto& info) { return info.param.name; });

TEST_F(DriveTest, TurReportsTheMechanismAsARealDriveDoes) {
  struct Case {
    const char* name;
    bool disc;
    bool eject;
    std::uint32_t waitMs;
    Sense expected;
  } cases[] = {
      {"no disc, tray closed", false, false, kBecomingReadyMs, kNoMediumTrayClosed},
      {"no disc, tray open", false, true, kBecomingReadyMs, kNoMediumTrayOpen},
      {"disc, tray open", true, true, kBecomingReadyMs, kNoMediumTrayOpen},
      {"disc spinning up", true, false, kBecomingReadyMs - 1, kBecomingReady},
      {"disc ready", true, false, kBecomingReadyMs, kNoSense},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EmulatedDrive drive(testIdentity(), Faults{.mediumPresent = c.disc});
    clock_.advance(c.waitMs);
    std::vector<std::uint8_t> sense(18);
    send(drive, requestSenseCdb(18), DataDirection::In, sense);
    if (c.eject) {
      EXPECT_EQ(send(drive, startStopCdb(kEject)).status, kStatusGood);
    }
    auto outcome = send(drive, testUnitReadyCdb());
    EXPECT_EQ(outcome.status == kStatusGood ? kNoSense : senseOf(outcome), c.expected);
  }
}

TEST_F(DriveTest, ReloadingSpinsTheDiscUpAndReportsTheChangeOnce) {
  makeReady(drive_);
  ASSERT_EQ(send(startStopCdb(kEject)).status, kStatusGood);
  EXPECT_EQ(tur(), kNoMediumTrayOpen);
  ASSERT_EQ(send(startStopCdb(kLoad)).status, kStatusGood);
  EXPECT_EQ(tur(), kBecomingReady);
  clock_.advance(kBecomingReadyMs);
  EXPECT_EQ(tur(), kMediumMayHaveChanged);
  EXPECT_EQ(tur(), kNoSense);
}

TEST_F(DriveTest, EjectIsRefusedWhilePreventedAndTheTrayStays) {
  makeReady(drive_);
  ASSERT_EQ(send(preventCdb(true)).status, kStatusGood);
  auto refused = send(startStopCdb(kEject));
  EXPECT_EQ(refused.status, kStatusCheckCondition);
  EXPECT_EQ(senseOf(refused), kRemovalPrevented);
  EXPECT_EQ(tur(), kNoSense);
  ASSERT_EQ(send(preventCdb(false)).status, kStatusGood);
  EXPECT_EQ(send(startStopCdb(kEject)).status, kStatusGood);
  EXPECT_EQ(tur(), kNoMediumTrayOpen);
}

TEST_F(DriveTest, StartStopWithoutLoadEjectOrWithAPowerConditionLeavesTheTray) {
  makeReady(drive_);
  for (std::uint8_t flags : {0x00, 0x01, 0x12, 0x13}) {
    SCOPED_TRACE(int(flags));
    EXPECT_EQ(send(startStopCdb(flags)).status, kStatusGood);
    EXPECT_EQ(tur(), kNoSense);
  }
}

TEST_F(DriveTest, PowerOnAttentionGoesOnceToTheFirstCommandThatIsNotInquiryOrRequestSense) {
  std::vector<std::uint8_t> data(56);
  EXPECT_EQ(send(inquiryCdb(56), DataDirection::In, data).status, kStatusGood);
  clock_.advance(kBecomingReadyMs);
  EXPECT_EQ(tur(), kPowerOnOrReset);
  EXPECT_EQ(tur(), kNoSense);
}

TEST_F(DriveTest, ResetRaisesTheAttentionAgainAndDropsTheRemovalLock) {
  makeReady(drive_);
  ASSERT_EQ(send(preventCdb(true)).status, kStatusGood);
  drive_.reset();
  EXPECT_EQ(senseOf(send(startStopCdb(kEject))), kPowerOnOrReset);
  EXPECT_EQ(send(startStopCdb(kEject)).status, kStatusGood);
}

TEST_F(DriveTest, PowerOnSpinsTheDiscUpAgain) {
  makeReady(drive_);
  drive_.powerOn();
  EXPECT_EQ(tur(), kPowerOnOrReset);
  EXPECT_EQ(tur(), kBecomingReady);
}

class RequestSense : public DriveTest {
 protected:
  std::vector<std::uint8_t> fetch(std::uint8_t allocation) {
    std::vector<std::uint8_t> data(platform::kSenseSize, kGuard);
    auto outcome = send(requestSenseCdb(allocation), DataDirection::In, data);
    EXPECT_EQ(outcome.status, kStatusGood);
    EXPECT_EQ(outcome.transferred, std::min<std::size_t>(allocation, platform::kSenseSize));
    return data;
  }
};

TEST_F(RequestSense, ReturnsTheSenseOfTheLastCheckConditionOnceInFixedFormat) {
  makeReady(drive_);
  auto failed = send({0x28, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  ASSERT_EQ(failed.status, kStatusCheckCondition);
  auto data = fetch(18);
  EXPECT_TRUE(std::equal(failed.sense.begin(), failed.sense.end(), data.begin()));
  EXPECT_EQ(data[0], 0x70);
  EXPECT_EQ(data[2], sense_key::kIllegalRequest);
  EXPECT_EQ(data[7], 10);
  EXPECT_EQ(data[12], 0x20);
  EXPECT_EQ(data[13], 0x00);
  auto none = fixedSense(kNoSense);
  EXPECT_TRUE(std::equal(none.begin(), none.end(), fetch(18).begin()));
}

TEST_F(RequestSense, AGoodCommandClearsTheLastSense) {
  makeReady(drive_);
  send({0x28, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  ASSERT_EQ(tur(), kNoSense);
  EXPECT_EQ(fetch(18)[2], sense_key::kNoSense);
}

TEST_F(RequestSense, ReportsAPendingAttentionAndClearsIt) {
  auto data = fetch(14);
  EXPECT_EQ(data[2], sense_key::kUnitAttention);
  EXPECT_EQ(data[12], 0x29);
  EXPECT_TRUE(std::all_of(data.begin() + 14, data.end(), [](auto b) { return b == kGuard; }));
  EXPECT_EQ(tur(), kBecomingReady);
}

TEST_F(RequestSense, PendingSenseGoesFirstAndTheAttentionWaits) {
  makeReady(drive_);
  send(startStopCdb(kEject));
  send(startStopCdb(kLoad));
  ASSERT_EQ(tur(), kBecomingReady);
  clock_.advance(kBecomingReadyMs);
  EXPECT_EQ(fetch(18)[12], 0x04);
  EXPECT_EQ(tur(), kMediumMayHaveChanged);
  EXPECT_EQ(tur(), kNoSense);
}

TEST_F(DriveTest, AcceptsTheCommandsAsTheProgramsBuildThem) {
  makeReady(drive_);
  std::vector<std::uint8_t> data(56);
  Cdb turTwelve{0x00, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(send(turTwelve).status, kStatusGood);
  EXPECT_EQ(send({0x00, 0, 0, 0, 0, 0x80}, DataDirection::In).status, kStatusGood);
  EXPECT_EQ(send({0x1E, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, DataDirection::In).status, kStatusGood);
  EXPECT_EQ(send(requestSenseCdb(14), DataDirection::In, data).transferred, 14u);
  EXPECT_EQ(send(inquiryCdb(36), DataDirection::In, data).transferred, 36u);
  EXPECT_EQ(send({0x1B, 0, 0, 0, 0x02, 0, 0, 0, 0, 0, 0, 0}).status, kStatusGood);
  EXPECT_EQ(tur(), kNoMediumTrayOpen);
}

TEST_F(DriveTest, RefusesMalformedCommandsAndWritesNothing) {
  struct Case {
    const char* name;
    Cdb cdb;
    DataDirection direction;
    Sense expected;
  } cases[] = {
      {"unsupported opcode", {0x28, 0, 0, 0, 0, 0, 0, 0, 0, 0}, DataDirection::In, kInvalidOperationCode},
      {"vendor opcode, no personality", {0xDF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, DataDirection::In,
       kInvalidOperationCode},
      {"empty CDB", {}, DataDirection::In, kInvalidFieldInCdb},
      {"short INQUIRY", {0x12, 0, 0, 0, 56}, DataDirection::In, kInvalidFieldInCdb},
      {"INQUIRY EVPD", {0x12, 0x01, 0x00, 0, 56, 0}, DataDirection::In, kInvalidFieldInCdb},
      {"INQUIRY page code", {0x12, 0x00, 0x80, 0, 56, 0}, DataDirection::In, kInvalidFieldInCdb},
      {"INQUIRY data out", inquiryCdb(56), DataDirection::Out, kInvalidFieldInCdb},
      {"INQUIRY without direction", inquiryCdb(56), DataDirection::None, kInvalidFieldInCdb},
      {"TUR with data in", testUnitReadyCdb(), DataDirection::In, kInvalidFieldInCdb},
      {"REQUEST SENSE descriptor format", {0x03, 0x01, 0, 0, 18, 0}, DataDirection::In, kInvalidFieldInCdb},
  };
  makeReady(drive_);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::uint8_t> data(56, kGuard);
    auto outcome = send(c.cdb, c.direction, data);
    EXPECT_EQ(outcome.status, kStatusCheckCondition);
    EXPECT_EQ(senseOf(outcome), c.expected);
    EXPECT_EQ(outcome.transferred, 0u);
    EXPECT_TRUE(std::all_of(data.begin(), data.end(), [](auto b) { return b == kGuard; }));
  }
}

TEST(Identity, TextsThatNoDriveCouldReportAreRefused) {
  platform::VirtualClock clock;
  platform::ScopedClock scope(clock);
  EXPECT_THROW(EmulatedDrive({"VENDORNAME", "P", "1.00", ""}), std::invalid_argument);
  EXPECT_THROW(EmulatedDrive({"V", "P", "1.00\t", ""}), std::invalid_argument);
  EmulatedDrive drive(testIdentity());
  EXPECT_THROW(drive.setIdentity({"V", "P", "1.000", ""}), std::invalid_argument);
  EXPECT_EQ(drive.identity().revision, "1.00");
}

}  // namespace
}  // namespace sim
