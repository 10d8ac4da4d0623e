#include "quillon/drive/scsi_trace.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "quillon/drive/scsi_names.h"

namespace quillon {
namespace {

using Lines = std::vector<std::string>;

Lines traced(const CommandTrace& trace) {
  Lines lines;
  WriteTrace(trace, [&lines](std::string_view line) { lines.emplace_back(line); });
  return lines;
}

CommandTrace testUnitReady(int level) {
  CommandTrace trace;
  trace.level = level;
  trace.request.SRB_Status = platform::SS_COMP;
  trace.request.SRB_CDBLen = 6;
  trace.address = {1, 0, 0, 0};
  trace.seconds = 0.25;
  return trace;
}

// READ BUFFER of 20 bytes, the bytes 0 to 15 and then "ABCD".
class ReadBufferTrace : public ::testing::Test {
 protected:
  ReadBufferTrace() {
    std::iota(data_.begin(), data_.begin() + 16, std::uint8_t{0});
    std::copy_n("ABCD", 4, data_.begin() + 16);
    trace_.request.SRB_Status = platform::SS_COMP;
    trace_.request.SRB_Flags = platform::SRB_EVENT_NOTIFY | platform::SRB_DIR_IN;
    trace_.request.SRB_BufLen = static_cast<platform::DWORD>(data_.size());
    trace_.request.SRB_CDBLen = 10;
    const std::uint8_t cdb[] = {0x3C, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x14, 0x00};
    std::copy(std::begin(cdb), std::end(cdb), trace_.request.CDBByte);
    trace_.address = {0, 0, 1, 0};
    trace_.data = data_;
  }
  std::array<std::uint8_t, 20> data_{};
  CommandTrace trace_;
};

const std::string kFirstDumpLine = "0000 : 00 01 02 03 04 05 06 07  08 09 0a 0b 0c 0d 0e 0f   ................";
const std::string kShortDumpLine =
    "0010 : 41 42 43 44" + std::string(4 * 3 + 1 + 1 + 8 * 3, ' ') + "  ABCD" + std::string(12, ' ');

TEST(CommandTraceTest, TestUnitReadySummaryIsTheSameAtEveryLevel) {
  const Lines expected = {
      "** Testunitready : ASPI : SS_COMP (01:00:00) (A1:T0:L0) ",
      "** CDB (06 Bytes) : 00 00 00 00 00 00  (0.250 sec)",
      "** No sense data available (00) - No additional information (00) (00)",
      "",
  };
  for (int level = kTraceSummary; level <= kTraceDumpNoTransfers; ++level)
    EXPECT_EQ(traced(testUnitReady(level)), expected) << level;
}

TEST(CommandTraceTest, LevelZeroAndUnknownLevelsWriteNothing) {
  EXPECT_TRUE(traced(testUnitReady(kTraceNone)).empty());
  EXPECT_TRUE(traced(testUnitReady(4)).empty());
}

TEST(CommandTraceTest, FailedCommandShowsItsSense) {
  CommandTrace trace = testUnitReady(kTraceSummary);
  trace.request.SRB_Status = platform::SS_ERR;
  trace.request.SRB_TargStat = 0x02;
  trace.lastStatus = {0x04, 0x02, 0x3A, 0x01};
  Lines lines = traced(trace);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "** Testunitready : ASPI : SS_ERR (04:00:02) (A1:T0:L0) ");
  EXPECT_EQ(lines[2], "** Not ready (02) - Medium not present (3A) (01)");
}

TEST_F(ReadBufferTrace, LevelOneGivesTheTransferLineOnly) {
  trace_.level = kTraceSummary;
  Lines lines = traced(trace_);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "** Read buffer : ASPI : SS_COMP (01:00:00) (A0:T1:L0) ");
  EXPECT_EQ(lines[1], "** CDB (0A Bytes) : 3C 02 00 00 00 00 00 00 14 00  (0.000 sec)");
  EXPECT_EQ(lines[3], "** Data transfer (target to host - 0014 Bytes) ");
  EXPECT_EQ(lines[4], "");
}

TEST_F(ReadBufferTrace, LevelsTwoAndThreeDumpTheData) {
  for (int level : {kTraceDump, kTraceDumpNoTransfers}) {
    trace_.level = level;
    Lines lines = traced(trace_);
    ASSERT_EQ(lines.size(), 7u) << level;
    EXPECT_EQ(lines[4], kFirstDumpLine);
    EXPECT_EQ(lines[5], kShortDumpLine);
    EXPECT_EQ(lines[6], "");
  }
}

TEST_F(ReadBufferTrace, LevelThreeLeavesBulkTransfersUndumped) {
  for (std::uint8_t operation : {0x28, 0x2A, 0xA8, 0xB9, 0xBE}) {
    trace_.request.CDBByte[0] = operation;
    trace_.level = kTraceDumpNoTransfers;
    EXPECT_EQ(traced(trace_).size(), 5u) << int(operation);
    trace_.level = kTraceDump;
    EXPECT_EQ(traced(trace_).size(), 7u) << int(operation);
  }
}

TEST_F(ReadBufferTrace, ReadThatFailedShowsNoData) {
  trace_.level = kTraceDump;
  trace_.request.SRB_Status = platform::SS_ERR;
  Lines lines = traced(trace_);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[3], "");
}

TEST_F(ReadBufferTrace, WriteThatFailedStillShowsWhatWasSent) {
  trace_.level = kTraceDump;
  trace_.request.SRB_Status = platform::SS_ERR;
  trace_.request.SRB_Flags = platform::SRB_EVENT_NOTIFY | platform::SRB_DIR_OUT;
  Lines lines = traced(trace_);
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[3], "** Data transfer (host to target - 0014 Bytes) ");
}

TEST(CommandTraceTest, SptiNamesTheScsiStatusAndMarksTheDirectForm) {
  CommandTrace trace = testUnitReady(kTraceSummary);
  trace.spti = true;
  trace.direct = true;
  trace.request.SRB_Status = platform::SS_ERR;
  trace.request.SRB_HaStat = 0x08;
  trace.request.SRB_TargStat = 0x08;
  trace.address = {2, 1, 3, 0};
  EXPECT_EQ(traced(trace)[0], "** Testunitready : SPTI : SCSISTAT_BUSY (04:08:08) (P2:B1:T3:L0) (D)");
}

TEST(CommandTraceTest, FailedSptiCallAddsTheSystemMessage) {
  CommandTrace trace = testUnitReady(kTraceSummary);
  trace.spti = true;
  trace.request.SRB_Status = platform::SS_ERR;
  trace.request.SRB_HaStat = 0xFF;
  trace.request.SRB_TargStat = 0xFF;
  trace.lastStatus = {0x04, 0xFF, 0xFF, 0xFF};
  trace.sptiFailureName = "SPTI : DeviceIoCtrl error (0079)";
  trace.systemError = 121;
  Lines lines = traced(trace);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "** Testunitready : SPTI : DeviceIoCtrl error (0079) (04:FF:FF) (P1:B0:T0:L0) ");
  EXPECT_EQ(lines[1], "** (0079) The semaphore timeout period has expired.");
  EXPECT_EQ(lines[3], "** User defined (FF) - Timeout occurred (FF) (FF)");

  trace.systemError = 0x1234;
  EXPECT_EQ(traced(trace)[1], "** TranslateSystemError of (1234) failed with (013D)");
}

TEST(CommandTraceTest, OverlongCdbLengthPrintsNoMoreThanTheCdb) {
  CommandTrace trace = testUnitReady(kTraceSummary);
  trace.request.SRB_Status = platform::SS_INVALID_SRB;
  trace.request.SRB_CDBLen = 0xFF;
  std::string sixteenZeros;
  for (int i = 0; i < 16; ++i) sixteenZeros += "00 ";
  EXPECT_EQ(traced(trace)[1], "** CDB (FF Bytes) : " + sixteenZeros + " (0.250 sec)");
}

TEST(HexDumpLine, PadsAShortLineAndShowsUnprintableBytesAsDots) {
  const std::uint8_t bytes[] = {0x1F, 0x20, 0x7E, 0x7F, 0xFF};
  EXPECT_EQ(HexDumpLine(bytes, 0),
            "0000 : 1f 20 7e 7f ff" + std::string(3 * 3 + 1 + 1 + 8 * 3, ' ') + "  . ~.." + std::string(11, ' '));
  EXPECT_EQ(HexDumpLine(bytes, 16), "0010 : " + std::string(16 * 3 + 1, ' ') + "  " + std::string(16, ' '));
}

TEST(ScsiNames, LookUpByKeyAndAnswerUnknownCodesWithQuestionMarks) {
  EXPECT_EQ(commandName(0x00), "Testunitready");
  EXPECT_EQ(commandName(0x3B), "Write buffer");
  EXPECT_EQ(commandName(0xFF), "Reset unit");
  EXPECT_EQ(commandName(0x02), kUnknownName);
  EXPECT_EQ(aspiStatusName(0xE6), "ASPI : SS_BUFFER_TOO_BIG");
  EXPECT_EQ(aspiStatusName(0x03), kUnknownName);
  EXPECT_EQ(sptiStatusName(0x28), "SPTI : SCSISTAT_QUEUE_FULL");
  EXPECT_EQ(sptiStatusName(0xFF), kUnknownName);
  EXPECT_EQ(senseKeyName(0x0C), kUnknownName);
  EXPECT_EQ(senseKeyName(0xFF), "User defined");
  EXPECT_EQ(ascName(0x28), "Not ready to ready transition");
  EXPECT_EQ(ascName(0xFF), "Timeout occurred");
  EXPECT_EQ(ascName(0x0B), kUnknownName);
}

}  // namespace
}  // namespace quillon
