#include "support/apptest.h"
#include "update/mdltimer.h"

#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;

namespace {

struct Timer : ::testing::TestWithParam<std::pair<double, int>>, AppFixture {};

} // namespace

TEST_P(Timer, RoundsTheElapsedSecondsHalfToEven) {
    const auto [seconds, expected] = GetParam();
    tp.counter->ticksPerSecond = 1000;
    tp.counter->now = 123456789;
    StartTimer(app);
    tp.counter->now += std::int64_t(seconds * 1000);
    StopTimer(app);
    EXPECT_EQ(app.v.curTimerFrequency, 1000);
    EXPECT_EQ(app.v.curTimerStart, 123456789);
    EXPECT_EQ(app.v.curTimerEnd, 123456789 + std::int64_t(seconds * 1000));
    EXPECT_EQ(app.v.iTimerSeconds, expected);
}

INSTANTIATE_TEST_SUITE_P(Seconds, Timer,
                         ::testing::Values(std::pair{0.4, 0}, std::pair{2.5, 2},
                                           std::pair{2.501, 3}, std::pair{3.5, 4}));
