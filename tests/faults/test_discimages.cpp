#include "cd/playerfixture.h"
#include "faults/robustnessrow.h"

#include <QFile>

using namespace vornap;
using namespace vornap::test;

namespace {

// Discs whose files were damaged after they were written: the drive table,
// the interpreter and the window see them as a user's drive would.
struct BadImage : Player {
    QString cue() const { return trayOf('E') + "/disc.cue"; }
    QString bin() const { return trayOf('E') + "/disc.bin"; }

    // Three tracks of three seconds (225 frames each).
    void threeTracks() {
        drive('E');
        insert('E', audioDisc({3, 3, 3}));
        OptionsValues o;
        o.drive = QStringLiteral("E:\\");
        writeOptions(o);
    }
    void rewriteCue(const QString& sheet) { writeFile(cue(), sheet.toUtf8()); }
    void truncateBin(qint64 bytes) { ASSERT_TRUE(QFile::resize(bin(), bytes)); }
    QString sheet(const QStringList& indexTimes, bool withFile = true) const {
        QString text = withFile ? QStringLiteral("FILE \"disc.bin\" BINARY\n") : QString();
        for (int i = 0; i < indexTimes.size(); ++i)
            text += QStringLiteral("  TRACK %1 AUDIO\n    INDEX 01 %2\n")
                        .arg(i + 1, 2, 10, QLatin1Char('0'))
                        .arg(indexTimes[i]);
        return text;
    }
    // Start-up and the first tick: the disc is taken in through GetCDInfo.
    void loadAndTick() {
        load();
        tick();
    }
    // Every track length the interpreter gives, as "mm:ss:ff".
    QStringList trackLengths() {
        ask("open E:\\ type cdaudio alias probe wait shareable");
        ask("set probe time format tmsf");
        QStringList out;
        const int n = QString::fromStdString(ask("status probe number of tracks wait")).toInt();
        for (int t = 1; t <= n; ++t)
            out << QString::fromStdString(ask("status probe length track " + std::to_string(t)));
        ask("close probe");
        return out;
    }
    // Plays the whole disc through the window and the watcher, a second at a time.
    void playToTheEnd(int seconds) {
        f->imgPlay_Click();
        for (int i = 0; i < seconds; ++i) {
            second();
            tick();
        }
    }
    void expectStoppedAtTrackOne() {
        EXPECT_TRUE(app.v.bStopped);
        EXPECT_FALSE(app.v.bPlaying);
        EXPECT_EQ(app.v.iCurrentTrack, 1);
        EXPECT_EQ(f->lblTime->text(), "0:00");
    }
    void expectNoDisc() {
        EXPECT_FALSE(app.v.bCDInDrive);
        EXPECT_EQ(f->lblTime->text(), "No CD");
        EXPECT_EQ(f->cboCDDrive->text(), "E:\\ - No CD");
        EXPECT_TRUE(tp.messageBox->boxes.empty());
    }
};

} // namespace

TEST_F(BadImage, ACueSheetListingTracksPastItsDataGivesAShorterDisc) {
    const RobustnessRow row("Cue sheet listing more tracks than its data file holds",
                            "Shorter disc: the tracks the data holds, played to their end");
    threeTracks();
    rewriteCue(sheet({"00:00:00", "00:03:00", "00:06:00", "00:20:00", "01:00:00"}));
    // The last track is one frame short, as the device reports it.
    EXPECT_EQ(trackLengths(), (QStringList{"00:03:00", "00:03:00", "00:02:74"}));
    loadAndTick();
    EXPECT_EQ(f->lblTotTracks->text(), "3");
    EXPECT_EQ(f->cboCurrentTrack->count(), 3);
    EXPECT_EQ(f->lblTotTrackTime->text(), "0:03");
    playToTheEnd(12);
    expectStoppedAtTrackOne();
    EXPECT_TRUE(tp.messageBox->boxes.empty());
}

TEST_F(BadImage, IndexTimesOutOfOrderEndTheDiscWhereTheOrderBreaks) {
    const RobustnessRow row("Cue sheet whose INDEX times go backwards",
                            "Shorter disc: the tracks before the first one out of order");
    threeTracks();
    rewriteCue(sheet({"00:00:00", "00:06:00", "00:03:00"}));
    EXPECT_EQ(trackLengths(), (QStringList{"00:06:00", "00:02:74"}));
    loadAndTick();
    EXPECT_EQ(f->lblTotTracks->text(), "2");
    EXPECT_EQ(f->lblTotTrackTime->text(), "0:06");
    playToTheEnd(12);
    expectStoppedAtTrackOne();
}

TEST_F(BadImage, AFirstTrackStartingPastTheDataIsNoDisc) {
    const RobustnessRow row("Cue sheet whose first INDEX lies past the end of its data",
                            "No disc: the drive shows \"No CD\"");
    threeTracks();
    rewriteCue(sheet({"00:30:00", "00:40:00"}));
    loadAndTick();
    expectNoDisc();
    EXPECT_EQ(ask("status cd1 media present wait"), "false");
}

TEST_F(BadImage, ASheetWithoutAFileLineReadsTheDataBesideIt) {
    const RobustnessRow row("Cue sheet without a FILE line",
                            "Reads the .bin of the same name beside it");
    threeTracks();
    rewriteCue(sheet({"00:00:00", "00:03:00", "00:06:00"}, false));
    loadAndTick();
    EXPECT_EQ(f->lblTotTracks->text(), "3");
    playToTheEnd(12);
    expectStoppedAtTrackOne();
}

TEST_F(BadImage, SheetsWithoutAnyUsableTrackAreNoDisc) {
    const RobustnessRow row("Cue sheet that is empty, binary garbage, or names no data file",
                            "No disc: the drive shows \"No CD\"");
    threeTracks();
    loadAndTick();
    ASSERT_TRUE(app.v.bCDInDrive);

    const std::vector<QByteArray> sheets{
        QByteArray(),
        QByteArray("\x00\xff\x13 TRACK \x01 INDEX 99:99:99\n\x80", 28),
        QByteArray("FILE \"elsewhere.bin\" BINARY\n  TRACK 01 AUDIO\n"),
        QByteArray("FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 xx:yy:zz\n"),
    };
    for (const QByteArray& bytes : sheets) {
        // Each bad sheet is a new medium: the good one leaves the tray first.
        eject('E');
        tick();
        insert('E', audioDisc({3, 3, 3}));
        if (&bytes == &sheets[2])
            QFile::remove(bin());
        rewriteCue(QString::fromLatin1(bytes));
        tick();
        tick();
        SCOPED_TRACE(bytes.toStdString());
        expectNoDisc();
        f->imgPlay_Click();
        f->imgStop_Click();
    }
}

TEST_F(BadImage, ADataFileCutShortGivesShorterTracks) {
    const RobustnessRow row("Disc image whose data file is cut short (mid-track, mid-sector)",
                            "Shorter disc: tracks up to the cut, the last one shorter");
    threeTracks();
    // Half a second into track 2, and not on a sector boundary.
    truncateBin(qint64(225 + 37) * di::sectorBytes + 1000);
    // 37 whole frames in track 2, one frame short as the last track.
    EXPECT_EQ(trackLengths(), (QStringList{"00:03:00", "00:00:36"}));
    loadAndTick();
    EXPECT_EQ(f->lblTotTracks->text(), "2");
    playToTheEnd(8);
    expectStoppedAtTrackOne();
    cd.device->player(*cd.table->find("E:\\")).waitForEnd();
    EXPECT_EQ(mode('E'), Mode::Stopped) << "the drive played the partial sector out and stopped";
}

TEST_F(BadImage, ADataFileCutBeforeTheLaterTracksDropsThem) {
    const RobustnessRow row("Disc image whose data file ends before its last tracks start",
                            "Shorter disc: the tracks that start before the cut");
    threeTracks();
    truncateBin(qint64(225) * di::sectorBytes);
    EXPECT_EQ(trackLengths(), (QStringList{"00:02:74"}));
    truncateBin(0);
    clock.advanceMs(2000);
    ask("open E:\\ type cdaudio alias probe wait shareable");
    EXPECT_EQ(ask("status probe media present wait"), "false") << "an empty data file is no disc";
}

TEST_F(BadImage, ADataFileCutWhilePlayingStopsTheDriveCleanly) {
    const RobustnessRow row("Disc image cut short while it plays",
                            "Playback stops, the old disc leaves and the cut one is loaded afresh");
    threeTracks();
    loadAndTick();
    f->imgPlay_Click();
    seconds(4);
    tick();
    EXPECT_EQ(app.v.iCurrentTrack, 2);
    truncateBin(qint64(300) * di::sectorBytes);
    // The watcher sees the old disc leave and the cut one arrive.
    tick();
    EXPECT_EQ(f->lblTime->text(), "No CD");
    second();
    tick();
    EXPECT_EQ(f->lblTotTracks->text(), "2");
    EXPECT_EQ(app.v.iCurrentTrack, 1);
    EXPECT_EQ(mode('E'), Mode::Stopped);
    EXPECT_TRUE(tp.messageBox->boxes.empty());
    // The window goes on with the disc as it now is.
    f->imgStop_Click();
    f->imgPlay_Click();
    EXPECT_EQ(mode('E'), Mode::Playing);
    EXPECT_EQ(trackLengths(), (QStringList{"00:03:00", "00:00:74"}));
}
