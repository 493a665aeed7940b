#include "test_mci_fixture.h"

#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;

// What the output gets is exactly the disc's sectors from the track played
// to the end: no sample lost, doubled or taken from a data track or pregap.
TEST(MciPlayback, TheOutputGetsExactlyTheAudioSectorsFromTheTrackPlayed) {
    const di::DiscSpec tones{{di::TrackSpec::audio(di::seconds(2.5), di::sine(440)),
                              di::TrackSpec::audio(di::seconds(1.5), di::stereoSine(660, 330), 40),
                              di::TrackSpec::audio(101, di::sine(1234.5, 0.9))}};
    const di::DiscSpec mixed{{di::TrackSpec::dataTrack(300, {{"A.TXT", "a"}}),
                              di::TrackSpec::audio(di::seconds(1), di::sine(500), 150)}};
    struct Case {
        const char* name;
        di::DiscSpec disc;
        const char* from;
        bool paranoia;
        qint64 firstSector; // of the data file
    };
    const Case cases[] = {
        {"paranoia reads", tones, "1", true, 0},
        {"from track 3", tones, "3", false, di::expectedToc(tones).trackOffsets[2] - 150},
        {"data track first", mixed, "1", false, 450},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto capture = std::make_shared<platform::audio::CaptureAudioOutput>();
        MciFixture f(capture);
        f.cd.device->setParanoiaForImages(c.paranoia);
        f.cd.table->addVirtualDrive('E', f.write(c.disc));
        f.send(openCd1);
        f.send("set cd1 time format tmsf");
        EXPECT_EQ(f.code(std::string("play cd1 from ") + c.from), 0u);
        EXPECT_TRUE(eventually([&] { return f.ask("status cd1 mode") == "stopped"; }));
        const auto samples = capture->samples();
        QFile bin(f.dir.filePath("disc.bin"));
        ASSERT_TRUE(bin.open(QIODevice::ReadOnly));
        bin.seek(c.firstSector * di::sectorBytes);
        const QByteArray disc = bin.readAll();
        ASSERT_EQ(qsizetype(samples.size() * 2), disc.size());
        EXPECT_EQ(std::memcmp(samples.data(), disc.constData(), std::size_t(disc.size())), 0);
        EXPECT_EQ(capture->streamsOpened(), 1);
    }
}

// A disc played on the clock, stopped, played to its end, swapped in the
// tray and taken out while it plays.
TEST(MciPlayback, PositionFollowsTheClockToTheEndAndTheTrayChangesUnderIt) {
    MciFixture f;
    const QString tray = f.tray();
    f.write(workedExample());
    f.put("disc", tray, "one");
    f.cd.table->addVirtualDrive('E', tray);
    f.send(openCd1);
    f.send("set cd1 time format tmsf");
    EXPECT_EQ(f.code("play cd1 from 2"), 0u);
    f.clock.advanceMs(61'500);
    EXPECT_EQ(f.ask("status cd1 position"), "02:01:01:37");
    f.send("set cd1 time format milliseconds");
    // Absolute: track 2 starts at 255334 ms.
    EXPECT_EQ(f.ask("status cd1 position"), std::to_string((19150 + 4612) * 1000 / 75 + 1));
    f.send("set cd1 time format tmsf");
    EXPECT_EQ(f.code("stop cd1 wait"), 0u);
    f.clock.advanceMs(4'000);
    EXPECT_EQ(f.ask("status cd1 position"), "02:01:01:37");
    EXPECT_EQ(f.code("seek cd1 to 1"), 0u);
    EXPECT_EQ(f.ask("status cd1 position"), "01:00:00:00");

    f.send("play cd1 from 1");
    f.clock.advanceMs(60LL * 60 * 1000);
    // The end of the disc is the last frame before the lead-out.
    EXPECT_EQ(f.ask("status cd1 position"), "02:04:06:49");
    EXPECT_TRUE(eventually([&] { return f.ask("status cd1 mode") == "stopped"; }));
    f.send("set cd1 time format milliseconds");
    // The watcher's end test (absolute position against relative length) holds.
    EXPECT_GE(std::stoll(f.ask("status cd1 position")), std::stoll(f.ask("status cd1 length")));
    f.send("set cd1 time format tmsf");

    // Another disc in its place is a new medium; the drive reports no disc
    // for a moment, as one spinning a new disc up.
    f.take(tray, "one");
    f.write({{di::TrackSpec::audio(300), di::TrackSpec::audio(300), di::TrackSpec::audio(300)}},
            "three.cue");
    f.put("three", tray, "two");
    EXPECT_EQ(f.ask("status cd1 media present"), "false");
    f.clock.advanceMs(1000);
    EXPECT_EQ(f.ask("status cd1 number of tracks"), "3");

    // Taken out while it plays: the playback thread notices on its own, and
    // the drive answers as an empty one.
    EXPECT_EQ(f.code("play cd1 from 1"), 0u);
    auto& player = f.cd.device->player(*f.cd.table->find("E:\\"));
    f.take(tray, "two");
    f.clock.advanceMs(5000);
    EXPECT_TRUE(eventually([&] { return player.mode() != platform::DrivePlayer::Mode::Playing; }));
    EXPECT_EQ(f.ask("status cd1 mode"), "not ready");
    EXPECT_EQ(f.code("status cd1 position"), platform::mcierr::deviceNotReady);
    EXPECT_EQ(f.code("resume cd1"), platform::mcierr::deviceNotReady);
}
