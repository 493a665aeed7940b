#include "platform/audio/audiooutput.h"
#include "test_mci_fixture.h"

#include <QByteArray>
#include <QtGlobal>
#include <atomic>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

using namespace vornap::platform;
using vornap::test::eventually;
using namespace std::chrono_literals;

TEST(AudioSilentStream, HearsAtThePaceOfTheClock) {
    ManualClock clock;
    auto stream = audio::makeSilentStream(clock);
    EXPECT_EQ(stream->played(), 0);
    clock.advanceMs(1500);
    EXPECT_EQ(stream->played(), 66150);
    // Nothing was written, yet a silent output is past it: the writer may skip.
    EXPECT_EQ(stream->neededFrom(), 66150);
    stream->skip(66150);
    EXPECT_EQ(stream->written(), 66150);
}

TEST(AudioSilentStream, WriterWaitsForTheClockAndStopsOnRequest) {
    ManualClock clock;
    auto stream = audio::makeSilentStream(clock);
    std::vector<std::int16_t> chunk(588 * 2 * 8);
    std::atomic<int> chunks{0};
    std::jthread writer([&](std::stop_token stop) {
        while (!stop.stop_requested()) {
            stream->write(chunk.data(), 588 * 8, stop);
            ++chunks;
        }
    });
    // About a fifth of a second ahead of the clock, then it waits.
    ASSERT_TRUE(eventually([&] { return chunks >= 1; }));
    std::this_thread::sleep_for(30ms);
    const int before = chunks;
    EXPECT_LE(before, 4);
    clock.advanceMs(1000);
    EXPECT_TRUE(eventually([&] { return chunks >= before + 9; }));
    writer.request_stop();
    writer.join(); // a waiting writer wakes for the stop
    SUCCEED();
}

TEST(AudioSilentStream, DrainWaitsUntilEverythingWasHeard) {
    ManualClock clock;
    auto stream = audio::makeSilentStream(clock, 1000);
    stream->skip(44100);
    std::atomic<bool> drained{false};
    std::jthread t([&](std::stop_token stop) { drained = stream->drain(stop); });
    std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(drained);
    clock.advanceMs(999);
    std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(drained);
    clock.advanceMs(1);
    EXPECT_TRUE(eventually([&] { return drained.load(); }));
}

TEST(AudioPulseOutput, WithoutAServerStreamsAreSilentAndFollowTheClock) {
    const QByteArray old = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", "unix:/nonexistent/vornap-test/native");
    ManualClock clock;
    audio::PulseAudioOutput output(clock);
    auto stream = output.open();
    ASSERT_TRUE(stream);
    std::vector<std::int16_t> chunk(588 * 2);
    EXPECT_TRUE(stream->write(chunk.data(), 588, {}));
    clock.advanceMs(2000);
    EXPECT_EQ(stream->played(), 88200);
    if (old.isNull())
        qunsetenv("PULSE_SERVER");
    else
        qputenv("PULSE_SERVER", old);
}
