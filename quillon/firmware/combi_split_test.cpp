#include "quillon/firmware/combi_split.h"

#include <gtest/gtest.h>

#include "quillon/firmware/model_table.h"
#include "quillon/gui/logging.h"
#include "sim/fixtures/firmware_builder.h"

namespace quillon {
namespace {

sim::FirmwareSpec spec(int model, const char* revision) {
  sim::FirmwareSpec s;
  s.model = std::string(kModelIdentifiers[model - 1]);
  s.revision = revision;
  return s;
}

class CombinedFiles : public ::testing::Test {
 protected:
  void load(const std::vector<std::uint8_t>& bytes) { image_.assign(bytes); }
  ResultCode check(int part) { return CheckFW(image_, 16384, part, check_); }

  LogCapture log_;
  FirmwareImage image_;
  FirmwareCheck check_;
  const std::vector<std::uint8_t> combined_ = sim::buildCombinedFirmware(spec(14, "1.10"), spec(14, "2.20"));
};

TEST_F(CombinedFiles, EachPartIsCutIntoAValidSingleFile) {
  ASSERT_EQ(combined_.size(), kCombinedFileSize);
  struct Case {
    int part;
    std::uint32_t size;
    std::uint64_t length;
  };
  for (const Case& c : {Case{kCdPart, 524328, 524288}, Case{kDvdPart, 262184, 262144}}) {
    load(combined_);
    ASSERT_EQ(SplitCombiFile(image_, c.part), kSuccess);
    EXPECT_EQ(image_.size(), c.size);
    EXPECT_EQ(check(c.part), kSuccess) << c.part;
    EXPECT_EQ(check_.length, c.length);
    EXPECT_EQ(check_.length / 16384, c.length / 16384);
  }
}

TEST_F(CombinedFiles, ThePartsChecksumsMoveFromTheHeaderAreaToTheEnd) {
  load(combined_);
  ASSERT_EQ(SplitCombiFile(image_, kDvdPart), kSuccess);
  auto cut = image_.bytes();
  EXPECT_TRUE(std::equal(combined_.begin() + 44, combined_.begin() + 48, cut.end() - 4));
  EXPECT_TRUE(std::equal(combined_.begin() + 40, combined_.begin() + 44, cut.begin() + 32));
}

TEST_F(CombinedFiles, AnUnknownPartLeavesTheImageAndAnswers103) {
  load(combined_);
  EXPECT_EQ(SplitCombiFile(image_, 0), 103u);
  EXPECT_TRUE(log_.contains(LogLevel::Fatal, "SplitCombiFile: Unknown firmware part <0>"));
  EXPECT_EQ(image_.size(), kCombinedFileSize);
}

TEST_F(CombinedFiles, AShortFileIsRefusedBeforeAnyByteIsRead) {
  std::vector<std::uint8_t> shortFile(combined_.begin(), combined_.end() - 1);
  load(shortFile);
  EXPECT_EQ(SplitCombiFile(image_, kDvdPart), kFwIllegalFile);
  EXPECT_EQ(image_.size(), kCombinedFileSize - 1);
  EXPECT_EQ(log_.entries().back().level, LogLevel::Fatal);
}

TEST(DualFiles, TheByteValueFiveSelectsTheSecondHalf) {
  LogCapture log;
  const auto dual = sim::buildDualFirmware(spec(6, "1.01"), spec(6, "2.02"));
  ASSERT_EQ(dual.size(), kDualFileSize);
  struct Case {
    std::string eftim;
    std::size_t offset;
  };
  for (const Case& c : {Case{std::string(1, '\x05'), kDualHalfSize}, Case{"5", 0}, Case{"", 0}}) {
    FirmwareImage image;
    image.assign(dual);
    ASSERT_EQ(SelectDualHalf(image, c.eftim), kSuccess);
    ASSERT_EQ(image.size(), kDualHalfSize);
    EXPECT_TRUE(std::equal(image.bytes().begin(), image.bytes().end(), dual.begin() + c.offset));
  }
  FirmwareImage wrong;
  wrong.assign(std::vector<std::uint8_t>(dual.begin(), dual.end() - 2));
  EXPECT_EQ(SelectDualHalf(wrong, "\x05"), kFwIllegalFile);
  EXPECT_EQ(wrong.size(), kDualFileSize - 2);
}

}  // namespace
}  // namespace quillon
