#include "test_mci_fixture.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;

namespace {

// A device whose output keeps every sample it is given.
struct Capturing : MciFixture {
    std::shared_ptr<platform::audio::CaptureAudioOutput> capture;

    explicit Capturing(std::shared_ptr<platform::audio::CaptureAudioOutput> output =
                           std::make_shared<platform::audio::CaptureAudioOutput>())
        : MciFixture(output), capture(output) {}
    QByteArray playWholeDisc(const di::DiscSpec& spec, const char* from = "1") {
        cd.table->addVirtualDrive('E', write(spec));
        send(openCd1);
        send("set cd1 time format tmsf");
        EXPECT_EQ(code(std::string("play cd1 from ") + from), 0u);
        EXPECT_TRUE(eventually([&] { return ask("status cd1 mode") == "stopped"; }));
        const auto samples = capture->samples();
        return QByteArray(reinterpret_cast<const char*>(samples.data()),
                          qsizetype(samples.size() * 2));
    }
    QByteArray binBytes(qint64 fromSector) {
        QFile bin(dir.filePath("disc.bin"));
        EXPECT_TRUE(bin.open(QIODevice::ReadOnly));
        bin.seek(fromSector * di::sectorBytes);
        return bin.readAll();
    }
};

di::DiscSpec threeTones() {
    return {{di::TrackSpec::audio(di::seconds(2.5), di::sine(440)),
             di::TrackSpec::audio(di::seconds(1.5), di::stereoSine(660, 330), 40),
             di::TrackSpec::audio(101, di::sine(1234.5, 0.9))}};
}

} // namespace

TEST(MciSamples, OutputGetsExactlyTheSectorsOfTheDisc) {
    Capturing c;
    const QByteArray played = c.playWholeDisc(threeTones());
    const QByteArray disc = c.binBytes(0);
    ASSERT_EQ(played.size(), disc.size());
    EXPECT_TRUE(played == disc);
    EXPECT_EQ(c.capture->streamsOpened(), 1);
}

TEST(MciSamples, ParanoiaReadsGiveTheSameSamples) {
    Capturing c;
    c.cd.device->setParanoiaForImages(true);
    const QByteArray played = c.playWholeDisc(threeTones());
    EXPECT_TRUE(played == c.binBytes(0));
}

TEST(MciSamples, DataTracksAreNotPlayed) {
    Capturing c;
    const QByteArray played =
        c.playWholeDisc({{di::TrackSpec::dataTrack(300, {{"A.TXT", "a"}}),
                          di::TrackSpec::audio(di::seconds(1), di::sine(500), 150)}});
    // Sound starts at track 2's first frame, past the data and the pregap.
    EXPECT_TRUE(played == c.binBytes(450));
}

TEST(MciSamples, PlayFromALaterTrackStartsAtItsFirstSample) {
    Capturing c;
    const QByteArray played = c.playWholeDisc(threeTones(), "3");
    const auto toc = di::expectedToc(threeTones());
    EXPECT_TRUE(played == c.binBytes(toc.trackOffsets[2] - 150));
}

TEST(DiscImage, TocOfTheWrittenImageMatchesTheDescription) {
    const di::DiscSpec spec{{di::TrackSpec::dataTrack(400), di::TrackSpec::audio(1000, {}, 150),
                             di::TrackSpec::audio(di::seconds(12.5), di::sine(300), 75)}};
    const auto toc = di::expectedToc(spec);
    EXPECT_EQ(toc.trackOffsets, (std::vector<int>{150, 700, 1775}));
    EXPECT_EQ(toc.leadOut, 1775 + 938);
    QTemporaryDir dir;
    ASSERT_TRUE(di::writeBinCue(spec, dir.filePath("x.cue")));
    EXPECT_EQ(QFileInfo(dir.filePath("x.bin")).size(), qint64(toc.leadOut - 150) * di::sectorBytes);
    const auto disc = platform::loadDisc(dir.filePath("x.cue"), {}, false);
    ASSERT_TRUE(disc);
    EXPECT_EQ(disc->toc.trackOffsets, toc.trackOffsets);
    EXPECT_EQ(disc->toc.leadOut, toc.leadOut);
    EXPECT_EQ(disc->toc.dataTrack, toc.dataTrack);
}

TEST(DiscImage, RefusesDiscsThatCannotExist) {
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(di::writeBinCue({}, dir.filePath("a.cue"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(di::writeBinCue({{di::TrackSpec::audio(0)}}, dir.filePath("b.cue"), &error));
    EXPECT_FALSE(di::writeBinCue({{di::TrackSpec::audio(10)}}, "/nonexistent/dir/c.cue", &error));
}

TEST(DiscImage, Mode1SectorCarriesSyncHeaderAndChecksum) {
    std::vector<std::uint8_t> user(2048, 0x5A), sector(2352);
    di::makeMode1Sector(sector.data(), 16 + 150, user.data());
    // Sync pattern, then 00:02:16 in BCD and mode 1.
    const std::vector<std::uint8_t> head{0,    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                         0xFF, 0xFF, 0xFF, 0,    0x00, 0x02, 0x16, 1};
    EXPECT_EQ(std::vector<std::uint8_t>(sector.begin(), sector.begin() + 16), head);
    // Any single changed data byte changes the EDC.
    std::vector<std::uint8_t> other = user, sector2(2352);
    other[1000] ^= 1;
    di::makeMode1Sector(sector2.data(), 16 + 150, other.data());
    EXPECT_NE(std::memcmp(sector.data() + 2064, sector2.data() + 2064, 4), 0);
    EXPECT_NE(std::memcmp(sector.data() + 2076, sector2.data() + 2076, 276), 0);
}
