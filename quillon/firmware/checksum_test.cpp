#include "quillon/firmware/checksum.h"

#include <gtest/gtest.h>

#include <vector>

namespace quillon {
namespace {

TEST(Checksums, WorkedExampleAbc) {
  const std::vector<std::uint8_t> abc = {'a', 'b', 'c'};
  Checksums sums = computeChecksums(abc);
  EXPECT_EQ(sums.linear, 0x0126);
  EXPECT_EQ(sums.rotated, 0x40AC);
}

TEST(Checksums, KeepSixteenBitsAndRotateBitZeroIntoBitFifteen) {
  EXPECT_EQ(computeChecksums({}).linear, 0);
  const std::vector<std::uint8_t> ones(300, 0xFF);
  EXPECT_EQ(computeChecksums(ones).linear, static_cast<std::uint16_t>(300 * 0xFF));
  const std::vector<std::uint8_t> oneThenZero = {0x01, 0x00};
  EXPECT_EQ(computeChecksums(oneThenZero).rotated, 0x8000);
}

}  // namespace
}  // namespace quillon
