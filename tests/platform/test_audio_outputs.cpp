#include "platform/audio/audiooutput.h"
#include "platform/audio/deemphasis.h"
#include "test_mci_fixture.h"

#include <atomic>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

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
    EXPECT_TRUE(vornap::test::eventually([&] { return drained.load(); }));
}

// Across the band (the sound test checks 1 and 10 kHz by ear and level), fed
// in uneven pieces as reads and track boundaries cut it.
TEST(AudioDeemphasis, EachChannelFollowsTheAnalogueNetworkAcrossTheBand) {
    const auto analogueDb = [](double hz) { // 50 us and 15 us
        const double w = 2 * std::numbers::pi * hz;
        return 10 * std::log10((1 + std::pow(w * 15e-6, 2)) / (1 + std::pow(w * 50e-6, 2)));
    };
    const auto levelDb = [](const std::vector<std::int16_t>& pcm, std::size_t channel) {
        double sum = 0;
        for (std::size_t i = 4410 * 2 + channel; i < pcm.size(); i += 2)
            sum += double(pcm[i]) * pcm[i];
        return 10 * std::log10(sum / double(pcm.size() / 2 - 4410));
    };
    for (double hz : {100.0, 3000.0, 5000.0, 12500.0, 16000.0, 20000.0}) {
        SCOPED_TRACE(hz);
        std::vector<std::int16_t> in(22050 * 2);
        for (std::size_t i = 0; i < in.size(); ++i)
            in[i] = std::int16_t(
                std::lround(16000 * std::sin(2 * std::numbers::pi * (i % 2 ? 1000 : hz) *
                                             double(i / 2) / 44100)));
        std::vector<std::int16_t> whole = in, pieces = in;
        audio::Deemphasis().process(whole.data(), 22050);
        audio::Deemphasis split;
        for (int at = 0, step = 1; at < 22050; at += step, step = step * 3 % 1000 + 1)
            split.process(pieces.data() + 2 * at, std::min(step, 22050 - at));
        EXPECT_EQ(pieces, whole);
        EXPECT_NEAR(levelDb(whole, 0) - levelDb(in, 0), analogueDb(hz), 0.3);
        EXPECT_NEAR(levelDb(whole, 1) - levelDb(in, 1), analogueDb(1000), 0.3);
    }
}

TEST(AudioDeemphasis, FullScaleStepsSettleWithoutOvershootOrWrapping) {
    // Full scale up and down, each level held for 200 samples.
    std::vector<std::int16_t> pcm;
    for (int level : {32767, -32768, 32767, 0, -32768, -32768, 32767})
        for (int i = 0; i < 200; ++i)
            pcm.insert(pcm.end(), {std::int16_t(level), std::int16_t(-1 - level)});
    std::vector<std::int16_t> out = pcm;
    audio::Deemphasis filter;
    filter.settleAt(pcm.data());
    filter.process(out.data(), std::int64_t(pcm.size() / 2));
    for (std::size_t i = 2; i < pcm.size(); ++i) {
        // Towards each new level without ever going past it, and there in the end.
        const int target = pcm[i], now = out[i], before = out[i - 2];
        EXPECT_LE(std::abs(target - now), std::abs(target - before)) << i;
        if (i % 400 >= 100 * 2) {
            EXPECT_EQ(now, target) << i;
        }
    }
}
