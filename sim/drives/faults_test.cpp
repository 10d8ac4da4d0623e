#include "sim/drives/faults.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "sim/drives/drive_test_support.h"

namespace sim {
namespace {

using namespace testing_support;
using platform::DataDirection;
using platform::kStatusBusy;
using platform::kStatusGood;
using Kind = platform::ScsiOutcome::Kind;

class FaultsTest : public DriveTest {
 protected:
  // A disc that has long spun up, so that only the faults stand between the host and GOOD.
  EmulatedDrive drive(Faults faults) {
    faults.mediumPresent = true;
    EmulatedDrive made(testIdentity(), faults);
    clock_.advance(kBecomingReadyMs);
    return made;
  }
  Sense turOn(EmulatedDrive& drive) {
    auto outcome = send(drive, testUnitReadyCdb());
    return outcome.status == kStatusGood ? kNoSense : senseOf(outcome);
  }
};

TEST_F(FaultsTest, EachFaultTakesOneCommandInOrderOfPrecedence) {
  auto d = drive({.busyCommands = 1, .notReadyCommands = 1, .unitAttentionCommands = 1, .timeoutCommands = 1});
  EXPECT_EQ(send(d, testUnitReadyCdb()).kind, Kind::Timeout);
  EXPECT_EQ(send(d, testUnitReadyCdb()).status, kStatusBusy);
  EXPECT_EQ(turOn(d), kMediumMayHaveChanged);
  EXPECT_EQ(turOn(d), kPowerOnOrReset);
  EXPECT_EQ(turOn(d), kBecomingReady);
  EXPECT_EQ(turOn(d), kNoSense);
}

TEST_F(FaultsTest, BusyCountsDownOnEveryCommandAndChangesNothing) {
  auto d = drive({.busyCommands = 2});
  std::vector<std::uint8_t> data(56, 0xEE);
  auto busy = send(d, inquiryCdb(56), DataDirection::In, data);
  EXPECT_EQ(busy.status, kStatusBusy);
  EXPECT_EQ(busy.transferred, 0u);
  EXPECT_EQ(data[0], 0xEE);
  EXPECT_EQ(send(d, startStopCdb(kEject)).status, kStatusBusy);
  EXPECT_EQ(turOn(d), kPowerOnOrReset);
  EXPECT_EQ(turOn(d), kNoSense);
}

TEST_F(FaultsTest, NotReadyAndAttentionSpareInquiryAndRequestSense) {
  auto d = drive({.notReadyCommands = 1, .unitAttentionCommands = 1});
  std::vector<std::uint8_t> data(56);
  EXPECT_EQ(send(d, inquiryCdb(56), DataDirection::In, data).status, kStatusGood);
  EXPECT_EQ(send(d, requestSenseCdb(18), DataDirection::In, data).status, kStatusGood);
  EXPECT_EQ(turOn(d), kMediumMayHaveChanged);
  EXPECT_EQ(turOn(d), kBecomingReady);
  EXPECT_EQ(turOn(d), kNoSense);
}

TEST_F(FaultsTest, ATimedOutCommandHasNoEffect) {
  auto d = drive({.timeoutCommands = 2});
  std::vector<std::uint8_t> data(56, 0xEE);
  auto lost = send(d, inquiryCdb(56), DataDirection::In, data);
  EXPECT_EQ(lost.kind, Kind::Timeout);
  EXPECT_EQ(lost.transferred, 0u);
  EXPECT_TRUE(std::all_of(data.begin(), data.end(), [](auto b) { return b == 0xEE; }));
  EXPECT_EQ(send(d, startStopCdb(kEject)).kind, Kind::Timeout);
  EXPECT_EQ(turOn(d), kPowerOnOrReset);
  EXPECT_EQ(turOn(d), kNoSense);
}

TEST_F(FaultsTest, TimeoutFromACommandNumberOnCountsEveryCommandReceived) {
  auto d = drive({.timeoutCommands = 1, .timeoutFromCommand = 3});
  EXPECT_EQ(send(d, testUnitReadyCdb()).kind, Kind::Timeout);
  EXPECT_EQ(turOn(d), kPowerOnOrReset);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(send(d, testUnitReadyCdb()).kind, Kind::Timeout);
}

}  // namespace
}  // namespace sim
