#include "support/apptest.h"
#include "update/mdltimer.h"

#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;

TEST(Timer, RoundsTheElapsedSecondsHalfToEven) {
    AppFixture fx;
    fx.tp.counter->ticksPerSecond = 1000;
    for (const auto& [ms, seconds] :
         std::initializer_list<std::pair<int, int>>{{400, 0}, {2500, 2}, {2501, 3}, {3500, 4}}) {
        fx.tp.counter->now = 123456789;
        StartTimer(fx.app);
        fx.tp.counter->now += ms;
        StopTimer(fx.app);
        EXPECT_EQ(fx.app.v.iTimerSeconds, seconds) << ms << " ms";
    }
}
