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

namespace {

std::vector<std::int16_t> stereoTone(double leftHz, double rightHz, int samples) {
    std::vector<std::int16_t> pcm(std::size_t(samples) * 2);
    for (int i = 0; i < samples; ++i) {
        pcm[2 * std::size_t(i)] =
            std::int16_t(std::lround(16000 * std::sin(2 * std::numbers::pi * leftHz * i / 44100)));
        pcm[2 * std::size_t(i) + 1] =
            std::int16_t(std::lround(16000 * std::sin(2 * std::numbers::pi * rightHz * i / 44100)));
    }
    return pcm;
}

// Level of one channel from sample `from` on, in dB.
double levelDb(const std::vector<std::int16_t>& pcm, int channel, std::size_t from) {
    double sum = 0;
    std::size_t n = 0;
    for (std::size_t i = from * 2 + std::size_t(channel); i < pcm.size(); i += 2, ++n)
        sum += double(pcm[i]) * pcm[i];
    return 10 * std::log10(sum / double(n));
}

} // namespace

TEST(AudioDeemphasis, EachChannelFollowsTheAnalogueNetworkAcrossTheBand) {
    // 50 us and 15 us, as the CD standard has them.
    auto analogueDb = [](double hz) {
        const double w = 2 * std::numbers::pi * hz;
        return 10 * std::log10((1 + std::pow(w * 15e-6, 2)) / (1 + std::pow(w * 50e-6, 2)));
    };
    const double rightHz = 1000;
    for (double hz : {100.0, 1000.0, 3000.0, 5000.0, 8000.0, 10000.0, 12500.0, 16000.0, 20000.0}) {
        SCOPED_TRACE(hz);
        const std::vector<std::int16_t> in = stereoTone(hz, rightHz, 22050);
        std::vector<std::int16_t> whole = in, pieces = in;
        audio::Deemphasis().process(whole.data(), 22050);
        // Fed in uneven pieces, as reads and track boundaries cut it.
        audio::Deemphasis split;
        for (int at = 0, step = 1; at < 22050; at += step, step = step * 3 % 1000 + 1)
            split.process(pieces.data() + 2 * at, std::min(step, 22050 - at));
        EXPECT_EQ(pieces, whole);
        EXPECT_NEAR(levelDb(whole, 0, 4410) - levelDb(in, 0, 4410), analogueDb(hz), 0.3);
        EXPECT_NEAR(levelDb(whole, 1, 4410) - levelDb(in, 1, 4410), analogueDb(rightHz), 0.3);
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
