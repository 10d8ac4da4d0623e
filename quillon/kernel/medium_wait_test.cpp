// The wait for an empty drive: its two answers end it at once, any other result is asked
// again every 100 ms until the limit has passed.

#include "quillon/kernel/medium_wait.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/clock.h"

namespace quillon {
namespace {

constexpr ResultCode kFailure = 0x04000193;

struct WaitCase {
  const char* name;
  std::vector<ResultCode> answers;  // the last one repeats
  bool medium;                      // with a result of 0
  ResultCode expected;
  int expectedAsks;
  std::uint64_t expectedMs;
};

class MediumWait : public ::testing::TestWithParam<WaitCase> {};

TEST_P(MediumWait, EndsWithTheFirstAnswerOrTheLastFailurePastTheLimit) {
  const WaitCase& c = GetParam();
  platform::VirtualClock clock;
  platform::ScopedClock useClock(clock);
  int asks = 0;
  ResultCode result = WaitNoMedium(
      [&](bool& medium) {
        ResultCode answer = c.answers[std::min<std::size_t>(asks++, c.answers.size() - 1)];
        if (answer == kSuccess) medium = c.medium;
        return answer;
      },
      2000);
  EXPECT_EQ(result, c.expected);
  EXPECT_EQ(asks, c.expectedAsks);
  EXPECT_EQ(clock.tickCount(), c.expectedMs);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, MediumWait,
    ::testing::Values(WaitCase{"NoDisc", {kSuccess}, false, kSuccess, 1, 0},
                      WaitCase{"Disc", {kSuccess}, true, kDiscInDrive, 1, 0},
                      WaitCase{"FailingTwiceThenEmpty", {kFailure, kFailure, kSuccess}, false, kSuccess, 3, 200},
                      WaitCase{"FailingThenDisc", {kFailure, kSuccess}, true, kDiscInDrive, 2, 100},
                      // Asked at 0, 100, ... 2100 ms: the first ask more than 2000 ms after the start ends it.
                      WaitCase{"AlwaysFailing", {kFailure}, false, kFailure, 22, 2100}),
    [](const ::testing::TestParamInfo<WaitCase>& info) { return info.param.name; });

}  // namespace
}  // namespace quillon
