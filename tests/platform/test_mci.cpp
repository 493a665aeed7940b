#include "test_mci_fixture.h"

#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;
using namespace platform::mcierr;

// The commands the player sends, in the time formats it uses, and the
// failures its drives, options file and track arithmetic can bring about.
TEST(Mci, WorkedExampleEmptyTrayAndFailures) {
    const auto e = [](std::uint32_t code) { return "error " + std::to_string(code); };
    MciFixture f;
    // Tracks at frames 150 and 19150, lead-out at 37650.
    f.cd.table->addVirtualDrive(
        'E', f.write({{di::TrackSpec::audio(19000), di::TrackSpec::audio(18500)}}));
    f.cd.table->addVirtualDrive('F', f.tray());
    const std::vector<std::pair<std::string, std::string>> rows{
        {openCd1, "1"},
        // Every open starts in msf.
        {"status cd1 length track 1", "04:13:25"},
        {"status cd1 number of tracks wait", "2"},
        {"set cd1 time format tmsf", ""},
        {"status cd1 length track 2", "04:06:49"},
        {"status cd1 position track 2", "02:00:00:00"},
        {"status cd1 position", "01:00:00:00"},
        {"set cd1 time format milliseconds", ""},
        {"status cd1 length track 1", "253334"},
        {"status cd1 length", "499987"},
        {"status cd1 position track 2", "255334"},
        {"status cd1 position", "2001"},
        {openCd1, e(duplicateAlias)},
        // The track after the last, as the watcher asks on the last track.
        {"status cd1 position track 3", e(outOfRange)},
        {"play cd1 from 3", e(outOfRange)},
        {"open C:\\ type cdaudio alias x wait shareable", e(invalidFile)},
        {"close all", ""},
        {"status cd1 media present", e(invalidDeviceName)},
        {openCd1, "1"},
        {"status cd1 position", "00:02:00"},
        {"open F:\\ type cdaudio alias cd3 wait shareable", "2"},
        {"status cd3 media present", "false"},
        {"status cd3 number of tracks wait", e(deviceNotReady)},
        {"play cd3 from 1", e(deviceNotReady)},
        {"status cd3 mode", "not ready"}};
    for (const auto& [command, expected] : rows) {
        const auto r = f.send(command);
        // A failure leaves the caller's buffer empty.
        EXPECT_EQ(r.code ? e(r.code) + r.answer : r.answer, expected) << command;
    }
    // Nor is an answer too long for the buffer left in it.
    char small[3] = "xx";
    EXPECT_NE(f.cd.device->sendString("status cd1 media present", small, sizeof small), 0u);
    EXPECT_EQ(small[0], '\0');
}

// What the output gets is exactly the disc's sectors from the track played
// to the end: no sample lost, doubled or taken from a data track or pregap.
TEST(Mci, TheOutputGetsExactlyTheAudioSectorsFromTheTrackPlayed) {
    const di::DiscSpec tones{{di::TrackSpec::audio(di::seconds(2.5), di::sine(440)),
                              di::TrackSpec::audio(di::seconds(1.5), di::stereoSine(660, 330), 40),
                              di::TrackSpec::audio(101, di::sine(1234.5, 0.9))}};
    const di::DiscSpec mixed{{di::TrackSpec::dataTrack(300, {{"A.TXT", "a"}}),
                              di::TrackSpec::audio(di::seconds(1), di::sine(500), 150)}};
    // The disc, the track played from, paranoia reads, the first sector of the data file.
    const std::tuple<const char*, di::DiscSpec, const char*, bool, qint64> cases[] = {
        {"paranoia reads", tones, "1", true, 0},
        {"from track 3", tones, "3", false, di::expectedToc(tones).trackOffsets[2] - 150},
        {"data track first", mixed, "1", false, 450},
    };
    for (const auto& [name, disc, from, paranoia, firstSector] : cases) {
        SCOPED_TRACE(name);
        auto capture = std::make_shared<platform::audio::CaptureAudioOutput>();
        MciFixture f(capture);
        f.cd.device->setParanoiaForImages(paranoia);
        f.cd.table->addVirtualDrive('E', f.write(disc));
        f.send(openCd1);
        f.send("set cd1 time format tmsf");
        EXPECT_EQ(f.send(std::string("play cd1 from ") + from).code, 0u);
        EXPECT_TRUE(QTest::qWaitFor([&] { return f.ask("status cd1 mode") == "stopped"; }));
        const auto samples = capture->samples();
        QFile bin(f.dir.filePath("disc.bin"));
        ASSERT_TRUE(bin.open(QIODevice::ReadOnly));
        bin.seek(firstSector * di::sectorBytes);
        const QByteArray data = bin.readAll();
        ASSERT_EQ(qsizetype(samples.size() * 2), data.size());
        EXPECT_EQ(std::memcmp(samples.data(), data.constData(), std::size_t(data.size())), 0);
        EXPECT_EQ(capture->streamsOpened(), 1);
    }
}
