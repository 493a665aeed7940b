#include "platform/audio/audiooutput.h"
#include "platform/audio/deemphasis.h"
#include "test_mci_fixture.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace vornap::platform;
using namespace std::chrono_literals;

// Without a sound server the end of a disc must still come with the last
// of its time, not when the writer is done.
TEST(AudioSilentStream, DrainWaitsUntilEverythingWasHeard) {
    ManualClock clock;
    auto stream = audio::makeSilentStream(clock, 1000);
    stream->skip(44100);
    std::atomic<bool> drained{false};
    std::jthread t([&](std::stop_token stop) { drained = stream->drain(stop); });
    std::this_thread::sleep_for(20ms);
    clock.advanceMs(999);
    std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(drained);
    clock.advanceMs(1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return drained.load(); }));
}

// The sound test checks the response at 1 and 10 kHz through the player.
TEST(AudioDeemphasis, FullScaleStepsSettleWithoutOvershootOrWrapping) {
    std::vector<std::int16_t> pcm;
    for (int level : {32767, -32768, 32767, 0, -32768, -32768, 32767})
        for (int i = 0; i < 200; ++i)
            pcm.insert(pcm.end(), {std::int16_t(level), std::int16_t(-1 - level)});
    std::vector<std::int16_t> out = pcm, pieces = pcm;
    audio::Deemphasis filter, split;
    filter.settleAt(pcm.data());
    filter.process(out.data(), std::int64_t(pcm.size() / 2));
    // Fed in uneven pieces, as reads and track boundaries cut it: the same.
    split.settleAt(pcm.data());
    for (int at = 0, step = 1, n = int(pcm.size() / 2); at < n;
         at += step, step = step * 3 % 97 + 1)
        split.process(pieces.data() + 2 * at, std::min(step, n - at));
    EXPECT_EQ(pieces, out);
    for (std::size_t i = 2; i < pcm.size(); ++i) {
        // Towards each new level without ever going past it, and there in the end.
        const int target = pcm[i], now = out[i], before = out[i - 2];
        EXPECT_LE(std::abs(target - now), std::abs(target - before)) << i;
        if (i % 400 >= 100 * 2) {
            EXPECT_EQ(now, target) << i;
        }
    }
}
