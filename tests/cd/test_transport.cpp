#include "cd/display.h"
#include "cdfixture.h"

#include <QImage>

using namespace vornap;
using namespace vornap::test;

namespace {

enum class S { Stopped, Playing, Paused, Idle };
const char* const kStateNames[] = {"Stopped", "Playing", "Paused", "Idle"};

using Commands = std::vector<std::string>;
const std::string tmsf = "set cd1 time format tmsf";
const std::string tracks = "status cd1 number of tracks wait";
const std::string stop = "stop cd1 wait";

const std::map<std::string, void (frmCD::*)()> kButtons{
    {"Play", &frmCD::imgPlay_Click},       {"Pause", &frmCD::imgPause_Click},
    {"Stop", &frmCD::imgStop_Click},       {"Back", &frmCD::imgBack_Click},
    {"Forward", &frmCD::imgForward_Click}, {"Track", &frmCD::cboCurrentTrack_Click}};

struct Transport : CdUnit {
    Transport() {
        disc(12);
        app.v.bCDInDrive = true;
        app.v.iCurrentTrack = 5;
        app.v.iElapsedSec = 3;
    }
    void enter(S s) {
        app.v.bStopped = s == S::Stopped;
        app.v.bPlaying = s == S::Playing;
        app.v.bPaused = s == S::Paused;
    }
    S state() const {
        const Variables& v = app.v;
        EXPECT_LE(int(v.bStopped) + int(v.bPlaying) + int(v.bPaused), 1);
        if (v.bStopped)
            return S::Stopped;
        if (v.bPlaying)
            return S::Playing;
        return v.bPaused ? S::Paused : S::Idle;
    }
};

} // namespace

// Every cell of the transition table, on track 5 of 12 after three seconds;
// the disc is a data disc so the display refresh sends nothing.
TEST_F(Transport, EveryTransitionOfTheTable) {
    struct Row {
        std::string button;
        S from, to;
        Integer track;
        Commands commands;
    };
    const Commands stopAndRewind{tmsf, stop, "seek cd1 to 1"};
    const std::vector<Row> table{
        {"Play", S::Stopped, S::Playing, 5, {tmsf, "play cd1 from 5"}},
        {"Play", S::Playing, S::Playing, 5, {tmsf}},
        {"Play", S::Paused, S::Playing, 5, {tmsf, "resume cd1"}},
        {"Play", S::Idle, S::Idle, 5, {tmsf, "play cd1 from 5"}},
        {"Pause", S::Stopped, S::Stopped, 5, {}},
        {"Pause", S::Playing, S::Paused, 5, {"pause cd1"}},
        {"Pause", S::Paused, S::Playing, 5, {"resume cd1"}},
        {"Pause", S::Idle, S::Paused, 5, {"pause cd1"}},
        {"Stop", S::Stopped, S::Stopped, 5, stopAndRewind},
        {"Stop", S::Playing, S::Stopped, 5, stopAndRewind},
        {"Stop", S::Paused, S::Stopped, 5, stopAndRewind},
        {"Stop", S::Idle, S::Stopped, 5, stopAndRewind},
        {"Back", S::Stopped, S::Stopped, 4, {tmsf, stop}},
        {"Back", S::Playing, S::Playing, 4, {tmsf, stop, "play cd1 from 4"}},
        {"Back", S::Paused, S::Idle, 4, {tmsf, stop}},
        {"Back", S::Idle, S::Idle, 4, {tmsf, stop}},
        {"Forward", S::Stopped, S::Stopped, 6, {tmsf, tracks, stop}},
        {"Forward", S::Playing, S::Playing, 6, {tmsf, tracks, stop, "play cd1 from 6"}},
        {"Forward", S::Paused, S::Idle, 6, {tmsf, tracks, stop}},
        {"Forward", S::Idle, S::Idle, 6, {tmsf, tracks, stop}},
        {"Track", S::Stopped, S::Stopped, 9, {tmsf}},
        {"Track", S::Playing, S::Playing, 9, {tmsf, stop, "play cd1 from 9"}},
        {"Track", S::Paused, S::Paused, 9, {tmsf}},
        {"Track", S::Idle, S::Idle, 9, {tmsf}},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(row.button + " from " + kStateNames[int(row.from)]);
        app.v.iCurrentTrack = 5;
        app.v.iElapsedMin = 0;
        app.v.iElapsedSec = 3;
        f->lblTime->setText("0:03");
        f->cboCurrentTrack->setText(QStringLiteral("9"));
        enter(row.from);
        if (row.from == S::Playing)
            f->tmrTime->start();
        else
            f->tmrTime->stop();
        sent();
        (f.get()->*kButtons.at(row.button))();
        EXPECT_EQ(state(), row.to);
        EXPECT_EQ(app.v.iCurrentTrack, row.track);
        EXPECT_EQ(sent(), row.commands);
        // The position timer runs while playing, and after Play from Idle.
        const bool playFromIdle = row.from == S::Idle && row.button == "Play";
        EXPECT_EQ(f->tmrTime->isActive(), row.to == S::Playing || playFromIdle);
        const bool keepsCount = row.button == "Play" || row.button == "Pause";
        EXPECT_EQ(app.v.iElapsedSec, keepsCount ? 3 : 0);
        EXPECT_EQ(f->lblTime->text(), row.button == "Stop" ? "0:00" : "0:03");
    }
}

TEST_F(Transport, ButtonsDoNothingButTheTimeFormatWithoutADisc) {
    app.v.bCDInDrive = false;
    enter(S::Stopped);
    for (const char* button : {"Play", "Stop", "Forward", "Back"}) {
        (f.get()->*kButtons.at(button))();
        EXPECT_EQ(sent(), Commands{tmsf}) << button;
    }
    f->imgPause_Click();
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(state(), S::Stopped);
    EXPECT_EQ(app.v.iCurrentTrack, 5);
}

TEST_F(Transport, BackAndForwardAtTheEdgesOfTheTrackAndTheDisc) {
    enter(S::Playing);
    app.v.iElapsedMin = 1;
    app.v.iElapsedSec = 10;
    f->imgBack_Click();
    EXPECT_EQ(sent(), (Commands{tmsf, stop, "play cd1 from 5"})) << "seven seconds in: restart";
    EXPECT_EQ(app.v.iCurrentTrack, 5);

    app.v.iCurrentTrack = 1;
    app.v.iElapsedSec = 30;
    f->ProgressBar->setValue(30);
    f->imgBack_Click();
    EXPECT_EQ(sent(), Commands{tmsf}) << "track one: the music goes on";
    EXPECT_EQ(app.v.iElapsedSec, 0);
    EXPECT_EQ(f->ProgressBar->Value(), 0);
    EXPECT_EQ(f->cboCurrentTrack->text(), "1");

    app.v.iCurrentTrack = 12;
    app.v.iElapsedSec = 40;
    f->ProgressBar->setValue(40);
    f->imgForward_Click();
    EXPECT_EQ(sent(), (Commands{tmsf, tracks})) << "the last track does not wrap";
    EXPECT_EQ(app.v.iCurrentTrack, 12);
    EXPECT_EQ(app.v.iElapsedSec, 40) << "and keeps counting";
    EXPECT_EQ(f->ProgressBar->Value(), 0);
}

TEST_F(Transport, SteppingWithTitlesTakesEverythingFromTheLookup) {
    freedb->titles = {"One", "Two", "Three"};
    freedb->seconds = {100, 185, 3600};
    app.v.bCDDBFound = app.v.bAudioCD = true;
    app.v.iCurrentTrack = 2;
    enter(S::Playing);
    f->imgForward_Click();
    EXPECT_EQ(f->cboCurrentTrack->text(), "3 - Three");
    EXPECT_EQ(f->lblTotTrackTime->text(), "60:00") << "hours are not folded";
    EXPECT_EQ(f->lblTotTracks->text(), "3");
    EXPECT_EQ(f->lblArtist->text(), "The Artist");
    EXPECT_EQ(sent(), (Commands{tmsf, stop, "play cd1 from 3"})) << "nothing asked of the device";
    f->imgForward_Click();
    EXPECT_EQ(app.v.iCurrentTrack, 3) << "the lookup says three tracks, not the device's twelve";
    f->imgBack_Click();
    EXPECT_EQ(f->cboCurrentTrack->text(), "2 - Two");
    EXPECT_EQ(f->lblTotTrackTime->text(), "3:05");
    EXPECT_EQ(f->ProgressBar->Max(), 185);
}

TEST_F(Transport, TheTrackBoxReadsPlainNumbersAndTitledEntriesAndStaysUnlocked) {
    f->cboCurrentTrack_DropDown();
    EXPECT_FALSE(f->cboCurrentTrack->locked());
    for (const auto& [text, track] : std::vector<std::pair<QString, Integer>>{
             {"7", 7}, {"12", 12}, {"7.", 7}, {"12.", 12}, {"1. Intro", 1}, {"12. Finale", 12}}) {
        f->cboCurrentTrack->setText(text);
        f->cboCurrentTrack_Click();
        EXPECT_EQ(app.v.iCurrentTrack, track) << text.toStdString();
    }
    EXPECT_FALSE(f->cboCurrentTrack->locked()) << "no handler locks it again";
}

TEST_F(Transport, ButtonsSwapTheirBitmapsFromTheSkinDirectoryWhateverTheCase) {
    const QString skin = dir.filePath("skin/");
    QDir().mkpath(skin);
    auto bitmap = [&](const char* file, int width) {
        QImage image(width, 20, QImage::Format_RGB32);
        image.fill(Qt::red);
        ASSERT_TRUE(image.save(skin + file, "BMP"));
    };
    bitmap("Play_down.bmp", 31);
    bitmap("PLAY_UP.BMP", 32);
    app.v.sSkinDir = skin;
    f->imgPlay_MouseDown();
    EXPECT_EQ(f->imgPlay->picture().width(), 31);
    f->imgPlay_MouseUp();
    EXPECT_EQ(f->imgPlay->picture().width(), 32);
    // A skin changed in between is seen at the next press.
    bitmap("Play_Down.bmp", 33);
    QFile::remove(skin + "Play_down.bmp");
    f->imgPlay_MouseDown();
    EXPECT_EQ(f->imgPlay->picture().width(), 33);
    f->imgStop_MouseDown(); // no bitmap: the button stays as it is
    EXPECT_TRUE(f->imgStop->picture().isNull());
    EXPECT_TRUE(tp.messageBox->boxes.empty());
}
