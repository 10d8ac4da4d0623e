#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "quillon/drive/scsi_opcodes.h"
#include "quillon/drive/scsi_transport.h"
#include "quillon/drive/test_host.h"

namespace quillon {
namespace {

using platform::ScsiAddress;
using testing::ObservedTransport;
using testing::TestMachine;

constexpr ScsiAddress kDrive{0, 0, 1, 0};

// One drive that both back-ends reach; each test runs once over ASPI and once over SPTI.
class ExecuteTest : public ::testing::TestWithParam<Interface> {
 protected:
  ExecuteTest() { machine_.bus().addAdapter(0, "ESDI_506"); }

  ObservedTransport& start(sim::Faults faults = {}) {
    faults.mediumPresent = true;
    machine_.bus().addDrive(kDrive, 'D', testing::cdromIdentity(), faults);
    scsi_ = std::make_unique<ObservedTransport>();
    scsi_->SetInterface(GetParam());
    EXPECT_EQ(scsi_->GetInterface(), GetParam());
    machine_.settle();
    machine_.bus().clearCalls();
    return *scsi_;
  }
  std::uint8_t testUnitReady() {
    scsi_->BuildCdb(6, {kTestUnitReady});
    return scsi_->Execute();
  }
  int sent(std::uint8_t operationCode) const { return machine_.bus().count(kDrive, operationCode); }
  const ScsiDevice& device() const { return *scsi_->Device(1); }

  TestMachine machine_;
  std::unique_ptr<ObservedTransport> scsi_;
};

INSTANTIATE_TEST_SUITE_P(BothBackEnds, ExecuteTest, ::testing::Values(ASPI_INTERFACE, SPTI_INTERFACE),
                         [](const auto& info) { return info.param == ASPI_INTERFACE ? "Aspi" : "Spti"; });

TEST_P(ExecuteTest, ReadyDriveCompletesAtTheFirstAttempt) {
  start();
  EXPECT_EQ(testUnitReady(), platform::SS_COMP);
  EXPECT_EQ(scsi_->GetLastStatus(), (LastStatus{0x01, 0, 0, 0}));
  EXPECT_EQ(device().lastStatus, scsi_->GetLastStatus());
  EXPECT_EQ(sent(kTestUnitReady), 1);
}

TEST_P(ExecuteTest, NotReadyToReadyTransitionIsRetriedTwice) {
  start({.unitAttentionCommands = 2});
  std::uint32_t before = machine_.clock.tickCount();
  EXPECT_EQ(testUnitReady(), platform::SS_COMP);
  EXPECT_EQ(sent(kTestUnitReady), 3);
  EXPECT_EQ(machine_.clock.tickCount() - before, 400u);
  EXPECT_DOUBLE_EQ(device().duration, 0.4);
}

TEST_P(ExecuteTest, ThirdUnitAttentionEndsTheAttempts) {
  start({.unitAttentionCommands = 3});
  EXPECT_EQ(testUnitReady(), platform::SS_ERR);
  EXPECT_EQ(sent(kTestUnitReady), 3);
  EXPECT_EQ(scsi_->GetLastStatus(), (LastStatus{0x04, 0x06, 0x28, 0x00}));
  EXPECT_EQ(device().lastStatus, (LastStatus{0x04, 0x06, 0x28, 0x00}));
}

TEST_P(ExecuteTest, OtherSenseIsNotRetried) {
  start({.notReadyCommands = 1});
  EXPECT_EQ(testUnitReady(), platform::SS_ERR);
  EXPECT_EQ(sent(kTestUnitReady), 1);
  EXPECT_EQ(scsi_->GetLastStatus(), (LastStatus{0x04, 0x02, 0x04, 0x01}));
}

TEST_P(ExecuteTest, TimeOutIsReportedOnceAndNotRetried) {
  start({.timeoutFromCommand = 4});  // after the two scans' INQUIRY and the settling REQUEST SENSE
  std::uint32_t before = machine_.clock.tickCount();
  EXPECT_EQ(testUnitReady(), platform::SS_ERR);
  EXPECT_EQ(sent(kTestUnitReady), 1);
  EXPECT_EQ(scsi_->GetLastStatus(), (LastStatus{0x04, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(scsi_->timeouts, (std::vector<int>{1}));
  EXPECT_EQ(machine_.clock.tickCount(), before);
}

TEST_P(ExecuteTest, ReadFillsTheCallersBuffer) {
  start();
  std::vector<std::uint8_t> buffer(36, 0xAA);
  scsi_->BuildCdb(6, {kInquiry, 0x00, 0x00, 0x00, 36, 0x00});
  scsi_->SetDataBuffer(buffer, kDataIn);
  EXPECT_EQ(scsi_->Execute(), platform::SS_COMP);
  EXPECT_EQ(std::string(buffer.begin() + 8, buffer.begin() + 15), "QUILLON");
  std::uint8_t* pointer = device().request.SRB_BufPointer;  // packed: read it out first
  EXPECT_EQ(pointer, buffer.data());
}

TEST_P(ExecuteTest, FailedReadLeavesTheCallersBufferAlone) {
  start();
  std::vector<std::uint8_t> buffer(16, 0xAA);
  scsi_->BuildCdb(10, {0x3C, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00});  // unknown to the drive
  scsi_->SetDataBuffer(buffer, kDataIn);
  EXPECT_EQ(scsi_->Execute(), platform::SS_ERR);
  EXPECT_EQ(scsi_->GetLastStatus(), (LastStatus{0x04, 0x05, 0x20, 0x00}));
  EXPECT_EQ(buffer, std::vector<std::uint8_t>(16, 0xAA));
}

TEST_P(ExecuteTest, EmptyBufferMovesNothingAndKeepsThePointer) {
  start();
  std::vector<std::uint8_t> buffer(4, 0xAA);
  scsi_->BuildCdb(6, {kTestUnitReady});
  scsi_->SetDataBuffer(std::span(buffer).first(0), kDataIn);
  EXPECT_EQ(scsi_->Execute(), platform::SS_COMP);
  std::uint8_t* pointer = device().request.SRB_BufPointer;  // packed: read it out first
  EXPECT_EQ(pointer, buffer.data());
  EXPECT_EQ(buffer, std::vector<std::uint8_t>(4, 0xAA));
}

TEST_P(ExecuteTest, RequestsThatDoNotFitAreRefusedBeforeSending) {
  start();
  std::vector<std::uint8_t> large(kDataAreaSize + 1, 0xAA);
  std::vector<std::uint8_t> small(8, 0xAA);
  struct Case {
    int cdbLength;
    std::span<std::uint8_t> buffer;
    std::uint8_t direction;
    std::uint8_t status;
  };
  const Case cases[] = {
      {17, {}, 0, platform::SS_INVALID_SRB},
      {0, {}, 0, platform::SS_INVALID_SRB},
      {-1, {}, 0, platform::SS_INVALID_SRB},
      {300, {}, 0, platform::SS_INVALID_SRB},
      {12, large, kDataIn, platform::SS_BUFFER_TO_BIG},
      {12, large, kDataOut, platform::SS_BUFFER_TO_BIG},
      {12, small, 0, platform::SS_INVALID_SRB},
      {12, small, kDataIn | kDataOut, platform::SS_INVALID_SRB},
  };
  for (const auto& c : cases) {
    scsi_->BuildCdb(c.cdbLength, {0x3C, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E,
                                  0x0F, 0x10, 0x11, 0x12});
    if (!c.buffer.empty()) scsi_->SetDataBuffer(c.buffer, c.direction);
    EXPECT_EQ(scsi_->Execute(), c.status) << c.cdbLength << " " << c.buffer.size();
    EXPECT_EQ(scsi_->GetLastStatus(), (LastStatus{c.status, 0, 0, 0}));
  }
  EXPECT_TRUE(machine_.bus().calls().empty());
  EXPECT_EQ(large, std::vector<std::uint8_t>(kDataAreaSize + 1, 0xAA));
}

TEST_P(ExecuteTest, FullDataAreaIsAccepted) {
  start();
  std::vector<std::uint8_t> buffer(kDataAreaSize);
  scsi_->BuildCdb(6, {kInquiry, 0x00, 0x00, 0xFF, 0xFF, 0x00});
  scsi_->SetDataBuffer(buffer, kDataIn);
  EXPECT_EQ(scsi_->Execute(), platform::SS_COMP);
  EXPECT_EQ(buffer[8], 'Q');
}

TEST_P(ExecuteTest, DurationSurvivesTheWrapOfTheTickCounter) {
  start({.unitAttentionCommands = 2});
  machine_.clock.advance(0xFFFFFFFFull - machine_.clock.tickCount() - 100);
  EXPECT_EQ(testUnitReady(), platform::SS_COMP);
  EXPECT_DOUBLE_EQ(device().duration, 0.399);  // the counter's wrap costs one millisecond
}

TEST_P(ExecuteTest, TraceGoesToTheDeviceSinkByCondition) {
  start({.notReadyCommands = 1});
  scsi_->SetTrace(kTraceSummary, kTraceFailuresOnly);
  testUnitReady();  // fails
  ASSERT_EQ(scsi_->lines.size(), 4u);
  EXPECT_EQ(scsi_->lines[2], "** Not ready (02) - Logical unit not ready (04) (01)");
  EXPECT_EQ(scsi_->devices, (std::vector<int>{1, 1, 1, 1}));
  testUnitReady();  // completes
  EXPECT_EQ(scsi_->lines.size(), 4u);
  scsi_->SetTrace(kTraceSummary, kTraceAll);
  testUnitReady();
  EXPECT_EQ(scsi_->lines.size(), 8u);
  EXPECT_EQ(scsi_->lines[4].rfind("** Testunitready : ", 0), 0u);
}

// A busy drive answers before it looks at the command, so the scan's INQUIRY meets it first.
TEST(BusyDrive, IsRetriedByBothBackEnds) {
  for (PlatformCode platform : {kPlatformWindowsXp, kPlatformWindows98}) {
    TestMachine machine(platform);
    machine.bus().addAdapter(0, "ESDI_506");
    machine.bus().addDrive(kDrive, 'D', testing::cdromIdentity(), {.busyCommands = 2});
    ScsiTransport scsi;
    EXPECT_EQ(scsi.GetInterface(), platform == kPlatformWindowsXp ? SPTI_INTERFACE : ASPI_INTERFACE);
    EXPECT_EQ(machine.bus().count(kDrive, kInquiry), 3);
    ASSERT_EQ(scsi.GetDeviceCount(), 1);
    EXPECT_EQ(scsi.Device(1)->vendor, "QUILLON ");
    EXPECT_EQ(machine.clock.tickCount(), 400u);
  }
}

TEST(SptiFailure, TimeOutNamesTheSystemErrorInTheTrace) {
  TestMachine machine;
  machine.bus().addAdapter(0, "ESDI_506");
  machine.bus().addDrive(kDrive, 'D', testing::cdromIdentity(), {.timeoutFromCommand = 2});
  ObservedTransport scsi;
  ASSERT_EQ(scsi.GetInterface(), SPTI_INTERFACE);
  scsi.SetTrace(kTraceSummary, kTraceAll);
  scsi.BuildCdb(6, {kTestUnitReady});
  EXPECT_EQ(scsi.Execute(), platform::SS_ERR);
  EXPECT_EQ(scsi.Device(1)->systemError, 121u);
  ASSERT_GE(scsi.lines.size(), 2u);
  EXPECT_EQ(scsi.lines[0], "** Testunitready : SPTI : DeviceIoCtrl error (0079) (04:FF:FF) (P0:B0:T1:L0) (D)");
  EXPECT_EQ(scsi.lines[1], "** (0079) The semaphore timeout period has expired.");
}

}  // namespace
}  // namespace quillon
