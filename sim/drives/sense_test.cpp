#include "sim/drives/sense.h"

#include <gtest/gtest.h>

namespace sim {
namespace {

TEST(FixedSense, PutsKeyCodesAndInformationWhereHostsReadThem) {
  Sense sense{0x03, 0x11, 0x05, 0x0012A4F0};
  auto bytes = fixedSense(sense);
  const std::array<std::uint8_t, platform::kSenseSize> expected{
      0xF0, 0x00, 0x03, 0x00, 0x12, 0xA4, 0xF0, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x11, 0x05, 0x00, 0x00, 0x00, 0x00};
  EXPECT_EQ(bytes, expected);
  sense.information.reset();
  bytes = fixedSense(sense);
  EXPECT_EQ(bytes[0], 0x70);
  EXPECT_EQ(bytes[4], 0x00);
}

}  // namespace
}  // namespace sim
