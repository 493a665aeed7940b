#include "cd/playerfixture.h"
#include "faults/robustnessrow.h"

#include <QFile>

using namespace vornap;
using namespace vornap::test;

namespace {

// Discs whose files were damaged after they were written: the drive table,
// the interpreter and the window see them as a user's drive would.
struct BadImage : Player {
    // Three tracks of three seconds (225 frames each) in E:, the drive in use.
    BadImage() {
        drive('E');
        insert('E', audioDisc({3, 3, 3}));
        writeOptions({.drive = "E:\\"});
        load();
        tick();
    }
    QString file(const char* extension) const { return trayOf('E') + "/disc." + extension; }
    QString sheet(const QStringList& indexTimes, bool withFile = true) const {
        QString text = withFile ? QStringLiteral("FILE \"disc.bin\" BINARY\n") : QString();
        for (int i = 0; i < indexTimes.size(); ++i)
            text += QStringLiteral("  TRACK %1 AUDIO\n    INDEX 01 %2\n")
                        .arg(i + 1, 2, 10, QLatin1Char('0'))
                        .arg(indexTimes[i]);
        return text;
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
};

} // namespace

// One damaged disc after another in the drive the window watches: a sheet
// written over the good one, the data file cut to a length, or both.
constexpr qint64 kUncut = -1, kRemoved = -2;
struct Damage {
    QString sheet;
    qint64 binBytes;
    QStringList lengths; // as the device gives them; none when there is no disc
};

TEST_F(BadImage, DamagedDiscsPlayWhatTheirDataHoldsOrAreNoDisc) {
    const RobustnessRow rows[] = {
        {"Cue sheet listing more tracks than its data file holds",
         "Shorter disc: the tracks the data holds, played to their end"},
        {"Cue sheet whose INDEX times go backwards",
         "Shorter disc: the tracks before the first one out of order"},
        {"Cue sheet without a FILE line", "Reads the .bin of the same name beside it"},
        {"Disc image whose data file is cut short (mid-track, mid-sector)",
         "Shorter disc: tracks up to the cut, the last one shorter"},
        {"Disc image whose data file ends before its last tracks start",
         "Shorter disc: the tracks that start before the cut"},
        {"Cue sheet with a TRACK that has no INDEX 01",
         "The track starts where its data starts (no data: no disc)"},
        {"Cue sheet whose first INDEX lies past the end of its data",
         "No disc: the drive shows \"No CD\""},
        {"Cue sheet that is empty, binary garbage, or names no data file",
         "No disc: the drive shows \"No CD\""},
    };
    const qint64 track = 225 * di::sectorBytes;
    const QStringList three{"00:03:00", "00:03:00", "00:02:74"};
    // The last track is one frame short, as the device reports it.
    const Damage damages[] = {
        {sheet({"00:00:00", "00:03:00", "00:06:00", "00:20:00", "01:00:00"}), kUncut, three},
        {sheet({"00:00:00", "00:06:00", "00:03:00"}), kUncut, {"00:06:00", "00:02:74"}},
        {sheet({"00:00:00", "00:03:00", "00:06:00"}, false), kUncut, three},
        // Half a second into track 2, off a sector boundary: 37 whole frames.
        {{}, track + 37 * di::sectorBytes + 1000, {"00:03:00", "00:00:36"}},
        {{}, track, {"00:02:74"}},
        {"FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n", kUncut, {"00:08:74"}},
        {"FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n", 0, {}},
        {{}, 0, {}},
        {sheet({"00:30:00", "00:40:00"}), kUncut, {}},
        {"FILE \"elsewhere.bin\" BINARY\n  TRACK 01 AUDIO\n", kRemoved, {}},
        {"", kUncut, {}},
        {QString::fromLatin1("\x00\xff\x13 TRACK \x01 INDEX 99:99:99\n\x80", 28), kUncut, {}},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE("damage " + std::to_string(&d - damages));
        eject('E');
        tick();
        insert('E', audioDisc({3, 3, 3}));
        if (!d.sheet.isNull())
            writeFile(file("cue"), d.sheet.toUtf8());
        if (d.binBytes != kUncut)
            d.binBytes == kRemoved ? QFile::remove(file("bin"))
                                   : QFile::resize(file("bin"), d.binBytes);
        tick();
        EXPECT_EQ(trackLengths(), d.lengths);
        if (d.lengths.isEmpty()) {
            EXPECT_FALSE(app.v.bCDInDrive);
            EXPECT_EQ(f->lblTime->text() + ' ' + f->cboCDDrive->text(), "No CD E:\\ - No CD");
            EXPECT_EQ(ask("status cd1 media present wait"), "false");
            f->imgPlay_Click();
            f->imgStop_Click();
        } else {
            EXPECT_EQ(f->lblTotTracks->text(), QString::number(d.lengths.size()));
            EXPECT_EQ(f->lblTotTrackTime->text(), "0:" + d.lengths[0].mid(3, 2));
            f->imgPlay_Click();
            for (int i = 0; i < 12; ++i) {
                second();
                tick();
            }
            EXPECT_TRUE(app.v.bStopped && !app.v.bPlaying && app.v.iCurrentTrack == 1);
            EXPECT_EQ(f->lblTime->text(), "0:00");
            cd.device->player(*cd.table->find("E:\\")).waitForEnd();
            EXPECT_EQ(mode('E'), Mode::Stopped) << "the drive played the partial sector out";
        }
        EXPECT_TRUE(tp.messageBox->boxes.empty());
    }
}

TEST_F(BadImage, ADataFileCutWhilePlayingStopsTheDriveCleanly) {
    const RobustnessRow row("Disc image cut short while it plays",
                            "Playback stops, the old disc leaves and the cut one is loaded afresh");
    f->imgPlay_Click();
    seconds(4);
    tick();
    EXPECT_EQ(app.v.iCurrentTrack, 2);
    ASSERT_TRUE(QFile::resize(file("bin"), qint64(300) * di::sectorBytes));
    // The watcher sees the old disc leave and the cut one arrive.
    tick();
    EXPECT_EQ(f->lblTime->text(), "No CD");
    second();
    tick();
    EXPECT_EQ(f->lblTotTracks->text(), "2");
    EXPECT_TRUE(app.v.iCurrentTrack == 1 && mode('E') == Mode::Stopped);
    EXPECT_TRUE(tp.messageBox->boxes.empty());
    // The window goes on with the disc as it now is.
    f->imgStop_Click();
    f->imgPlay_Click();
    EXPECT_EQ(mode('E'), Mode::Playing);
    EXPECT_EQ(trackLengths(), (QStringList{"00:03:00", "00:00:74"}));
}
