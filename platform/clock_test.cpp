#include "platform/clock.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(VirtualClock, SleepAdvancesTicksAndTimeOfDayAtOnce) {
  VirtualClock clock({23, 59, 59, 990});
  clock.sleep(60000);
  EXPECT_EQ(clock.tickCount(), 60000u);
  TimeOfDay t = clock.localTime();
  EXPECT_EQ(t.hour, 0);
  EXPECT_EQ(t.minute, 0);
  EXPECT_EQ(t.second, 59);
  EXPECT_EQ(t.millisecond, 990);
}

TEST(VirtualClock, TickCountWrapsAt32Bits) {
  VirtualClock clock({}, 0xFFFFFFF0u);
  clock.advance(0x20);
  EXPECT_EQ(clock.tickCount(), 0x10u);
}

TEST(ScopedClock, InstallsAndRestoresTheActiveClock) {
  Clock& before = clock();
  {
    VirtualClock virtualClock;
    ScopedClock scope(virtualClock);
    EXPECT_EQ(&clock(), &virtualClock);
  }
  EXPECT_EQ(&clock(), &before);
}

}  // namespace
}  // namespace platform
