#include "test_mci_fixture.h"

#include <QDir>
#include <QFile>
#include <atomic>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;

namespace {

struct Playing : MciFixture {
    explicit Playing(const di::DiscSpec& spec = workedExample(),
                     std::shared_ptr<platform::audio::AudioOutput> output = nullptr)
        : MciFixture(std::move(output)) {
        cd.table->addVirtualDrive('E', write(spec));
        send(openCd1);
        send("set cd1 time format tmsf");
    }
    // The disc watcher's tick: every alias closed and the drive reopened.
    void reopen() {
        send("close all");
        send(openCd1);
        send("set cd1 time format tmsf");
    }
};

} // namespace

TEST(MciPlayback, ClosingEveryAliasKeepsPlayAndPauseAndOutOfTurnIsRefused) {
    Playing f;
    EXPECT_EQ(f.code("pause cd1"), platform::mcierr::hardware);
    EXPECT_EQ(f.code("resume cd1"), platform::mcierr::hardware);
    f.send("play cd1 from 1");
    EXPECT_EQ(f.code("resume cd1"), platform::mcierr::hardware);
    f.clock.advanceMs(3'000);
    f.reopen();
    EXPECT_EQ(f.ask("status cd1 mode"), "playing");
    EXPECT_EQ(f.code("pause cd1"), 0u);
    f.clock.advanceMs(20'000);
    EXPECT_EQ(f.ask("status cd1 position"), "01:00:03:00");
    f.reopen();
    EXPECT_EQ(f.code("resume cd1"), 0u);
    f.clock.advanceMs(2'000);
    EXPECT_EQ(f.ask("status cd1 position"), "01:00:05:00");
    EXPECT_EQ(f.ask("status cd1 mode"), "playing");
    f.send("stop cd1 wait");
    // Stop forgets the pause point: resume does not work after stop.
    EXPECT_EQ(f.code("resume cd1"), platform::mcierr::hardware);
}

TEST(MciPlayback, PlayFollowsTheClockStopHoldsThePositionAndSeekGoesToTrackOne) {
    Playing f;
    EXPECT_EQ(f.code("play cd1 from 2"), 0u);
    EXPECT_EQ(f.ask("status cd1 mode"), "playing");
    EXPECT_EQ(f.ask("status cd1 position"), "02:00:00:00");
    f.clock.advanceMs(61'500);
    EXPECT_EQ(f.ask("status cd1 position"), "02:01:01:37");
    f.send("set cd1 time format milliseconds");
    // Absolute: track 2 starts at 255334 ms.
    EXPECT_EQ(f.ask("status cd1 position"), std::to_string((19150 + 4612) * 1000 / 75 + 1));
    f.send("set cd1 time format tmsf");

    f.send("play cd1 from 2");
    f.clock.advanceMs(4'000);
    EXPECT_EQ(f.code("stop cd1 wait"), 0u);
    EXPECT_EQ(f.ask("status cd1 mode"), "stopped");
    f.clock.advanceMs(4'000);
    EXPECT_EQ(f.ask("status cd1 position"), "02:00:04:00");
    f.send("play cd1 from 2");
    EXPECT_EQ(f.code("seek cd1 to 1"), 0u);
    EXPECT_EQ(f.ask("status cd1 mode"), "stopped");
    f.clock.advanceMs(4'000);
    EXPECT_EQ(f.ask("status cd1 position"), "01:00:00:00");
}

TEST(MciPlayback, PlayRunsToTheEndOfTheDisc) {
    Playing f;
    f.send("play cd1 from 1");
    f.clock.advanceMs(60LL * 60 * 1000);
    // The end of the disc is the last frame before the lead-out.
    EXPECT_EQ(f.ask("status cd1 position"), "02:04:06:49");
    EXPECT_TRUE(eventually([&] { return f.ask("status cd1 mode") == "stopped"; }));
    f.send("set cd1 time format milliseconds");
    // The watcher's end test (absolute position against relative length) holds.
    EXPECT_GE(std::stoll(f.ask("status cd1 position")), std::stoll(f.ask("status cd1 length")));
}

TEST(MciPlayback, PlaybackThreadNoticesRemovalOnItsOwn) {
    MciFixture f;
    const QString cue = f.write(workedExample());
    f.cd.table->addVirtualDrive('E', cue);
    f.send(openCd1);
    f.send("play cd1 from 1");
    auto* drive = f.cd.table->find("E:\\");
    auto& player = f.cd.device->player(*drive);
    QFile::remove(cue);
    QFile::remove(f.dir.filePath("disc.bin"));
    // Only the thread looks now; no command is sent until it has given up.
    f.clock.advanceMs(5000);
    EXPECT_TRUE(eventually([&] { return player.mode() != platform::DrivePlayer::Mode::Playing; }));
}

TEST(MciPlayback, ImagesPutIntoAndTakenFromTheTrayAreDiscsArrivingAndLeaving) {
    MciFixture f;
    QDir(f.dir.path()).mkdir("tray");
    f.cd.table->addVirtualDrive('E', f.dir.filePath("tray"));
    f.send(openCd1);
    EXPECT_EQ(f.ask("status cd1 media present"), "false");
    f.write({{di::TrackSpec::audio(di::seconds(3)), di::TrackSpec::audio(di::seconds(4)),
              di::TrackSpec::audio(di::seconds(5))}},
            "tray/one.cue");
    EXPECT_EQ(f.ask("status cd1 media present"), "true");
    EXPECT_EQ(f.ask("status cd1 number of tracks"), "3");
    // A different disc in its place is a new medium with its own table of contents.
    QFile::remove(f.dir.filePath("tray/one.cue"));
    QFile::remove(f.dir.filePath("tray/one.bin"));
    const QString cue = f.write(workedExample(), "tray/two.cue");
    // The drive reports no disc for a moment, as one spinning a new disc up.
    EXPECT_EQ(f.ask("status cd1 media present"), "false");
    f.clock.advanceMs(1000);
    EXPECT_EQ(f.ask("status cd1 number of tracks"), "2");
    EXPECT_EQ(f.ask("status cd1 length track 1"), "04:13:25");

    // Taken out while it plays: the drive stops cleanly.
    EXPECT_EQ(f.code("play cd1 from 1"), 0u);
    f.clock.advanceMs(1000);
    ASSERT_TRUE(QFile::remove(cue));
    EXPECT_EQ(f.ask("status cd1 media present"), "false");
    EXPECT_EQ(f.ask("status cd1 mode"), "not ready");
    EXPECT_EQ(f.code("status cd1 position"), platform::mcierr::deviceNotReady);
    f.clock.advanceMs(60'000);
    EXPECT_EQ(f.code("resume cd1"), platform::mcierr::deviceNotReady);
}

namespace {

// A sound server that goes away after a few writes.
class DyingOutput final : public platform::audio::AudioOutput {
public:
    struct Stream final : platform::audio::AudioStream {
        std::atomic<std::int64_t> n{0};
        std::atomic<int> writes{0};
        bool write(const std::int16_t*, std::int64_t samples, std::stop_token) override {
            if (++writes > 3)
                return false;
            n += samples;
            return true;
        }
        std::int64_t played() const override { return n; }
        std::int64_t written() const override { return n; }
        void skip(std::int64_t s) override { n += s; }
        bool drain(std::stop_token) override { return true; }
    };
    std::unique_ptr<platform::audio::AudioStream> open() override {
        return std::make_unique<Stream>();
    }
};

} // namespace

TEST(MciPlayback, LosingTheSoundServerKeepsTheDrivePlayingSilently) {
    Playing f(workedExample(), std::make_shared<DyingOutput>());
    f.send("play cd1 from 1");
    // Three chunks were heard before the server went; then the clock carries on
    // once the silent output has taken over and waits on it.
    EXPECT_TRUE(eventually(
        [&] { return f.ask("status cd1 position") == "01:00:00:24" && f.clock.sleepers() > 0; }));
    f.clock.advanceMs(10'000);
    EXPECT_EQ(f.ask("status cd1 position"), "01:00:10:24");
    EXPECT_EQ(f.ask("status cd1 mode"), "playing");
    f.clock.advanceMs(600'000);
    EXPECT_TRUE(eventually([&] { return f.ask("status cd1 mode") == "stopped"; }));
    EXPECT_EQ(f.ask("status cd1 position"), "02:04:06:49");
}
