#include "test_mci_fixture.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;

// What the output gets is exactly the disc's sectors from the track played
// to the end: no sample lost, doubled or taken from a data track or pregap.
TEST(MciSamples, TheOutputGetsExactlyTheAudioSectorsFromTheTrackPlayed) {
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
        {"whole disc", tones, "1", false, 0},
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
