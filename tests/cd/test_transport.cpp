#include "cd/display.h"
#include "cdfixture.h"

#include <QImage>

using namespace vornap;
using namespace vornap::test;

namespace {

enum class State { Stopped, Playing, Paused, Idle };

const char* name(State s) {
    switch (s) {
    case State::Stopped:
        return "Stopped";
    case State::Playing:
        return "Playing";
    case State::Paused:
        return "Paused";
    case State::Idle:
        return "Idle";
    }
    return "";
}

struct Transport : CdUnit {
    Transport() {
        disc(12);
        app.v.bCDInDrive = true;
        app.v.iCurrentTrack = 5;
        app.v.iElapsedSec = 3;
    }
    void enter(State s) {
        Variables& v = app.v;
        v.bStopped = s == State::Stopped;
        v.bPlaying = s == State::Playing;
        v.bPaused = s == State::Paused;
    }
    State state() const {
        const Variables& v = app.v;
        EXPECT_LE(int(v.bStopped) + int(v.bPlaying) + int(v.bPaused), 1);
        if (v.bStopped)
            return State::Stopped;
        if (v.bPlaying)
            return State::Playing;
        return v.bPaused ? State::Paused : State::Idle;
    }
};

using Commands = std::vector<std::string>;
const std::string tmsf = "set cd1 time format tmsf";
const std::string tracks = "status cd1 number of tracks wait";
const std::string stop = "stop cd1 wait";

struct Row {
    void (frmCD::*action)();
    const char* actionName;
    State from;
    State to;
    Integer track;
    Commands commands;
};

} // namespace

// Every cell of the transition table, on track 5 of 12 after three seconds;
// the disc is a data disc so the display refresh sends nothing.
TEST_F(Transport, EveryTransitionOfTheTable) {
    using S = State;
    const std::vector<Row> table{
        {&frmCD::imgPlay_Click, "Play", S::Stopped, S::Playing, 5, {tmsf, "play cd1 from 5"}},
        {&frmCD::imgPlay_Click, "Play", S::Playing, S::Playing, 5, {tmsf}},
        {&frmCD::imgPlay_Click, "Play", S::Paused, S::Playing, 5, {tmsf, "resume cd1"}},
        {&frmCD::imgPlay_Click, "Play", S::Idle, S::Idle, 5, {tmsf, "play cd1 from 5"}},
        {&frmCD::imgPause_Click, "Pause", S::Stopped, S::Stopped, 5, {}},
        {&frmCD::imgPause_Click, "Pause", S::Playing, S::Paused, 5, {"pause cd1"}},
        {&frmCD::imgPause_Click, "Pause", S::Paused, S::Playing, 5, {"resume cd1"}},
        {&frmCD::imgPause_Click, "Pause", S::Idle, S::Paused, 5, {"pause cd1"}},
        {&frmCD::imgStop_Click, "Stop", S::Stopped, S::Stopped, 5, {tmsf, stop, "seek cd1 to 1"}},
        {&frmCD::imgStop_Click, "Stop", S::Playing, S::Stopped, 5, {tmsf, stop, "seek cd1 to 1"}},
        {&frmCD::imgStop_Click, "Stop", S::Paused, S::Stopped, 5, {tmsf, stop, "seek cd1 to 1"}},
        {&frmCD::imgStop_Click, "Stop", S::Idle, S::Stopped, 5, {tmsf, stop, "seek cd1 to 1"}},
        {&frmCD::imgBack_Click, "Back", S::Stopped, S::Stopped, 4, {tmsf, stop}},
        {&frmCD::imgBack_Click, "Back", S::Playing, S::Playing, 4, {tmsf, stop, "play cd1 from 4"}},
        {&frmCD::imgBack_Click, "Back", S::Paused, S::Idle, 4, {tmsf, stop}},
        {&frmCD::imgBack_Click, "Back", S::Idle, S::Idle, 4, {tmsf, stop}},
        {&frmCD::imgForward_Click, "Forward", S::Stopped, S::Stopped, 6, {tmsf, tracks, stop}},
        {&frmCD::imgForward_Click,
         "Forward",
         S::Playing,
         S::Playing,
         6,
         {tmsf, tracks, stop, "play cd1 from 6"}},
        {&frmCD::imgForward_Click, "Forward", S::Paused, S::Idle, 6, {tmsf, tracks, stop}},
        {&frmCD::imgForward_Click, "Forward", S::Idle, S::Idle, 6, {tmsf, tracks, stop}},
        {&frmCD::cboCurrentTrack_Click, "Track choice", S::Stopped, S::Stopped, 9, {tmsf}},
        {&frmCD::cboCurrentTrack_Click,
         "Track choice",
         S::Playing,
         S::Playing,
         9,
         {tmsf, stop, "play cd1 from 9"}},
        {&frmCD::cboCurrentTrack_Click, "Track choice", S::Paused, S::Paused, 9, {tmsf}},
        {&frmCD::cboCurrentTrack_Click, "Track choice", S::Idle, S::Idle, 9, {tmsf}},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(std::string(row.actionName) + " from " + name(row.from));
        app.v.iCurrentTrack = 5;
        app.v.iElapsedMin = 0;
        app.v.iElapsedSec = 3;
        f->cboCurrentTrack->setText(QStringLiteral("9"));
        enter(row.from);
        if (row.from == S::Playing)
            f->tmrTime->start();
        else
            f->tmrTime->stop();
        sent();
        (f.get()->*row.action)();
        EXPECT_EQ(state(), row.to);
        EXPECT_EQ(app.v.iCurrentTrack, row.track);
        EXPECT_EQ(sent(), row.commands);
        // The position timer runs while playing, and after Play from Idle.
        const bool playFromIdle = row.from == S::Idle && row.action == &frmCD::imgPlay_Click;
        EXPECT_EQ(f->tmrTime->isActive(), row.to == S::Playing || playFromIdle);
    }
}

TEST_F(Transport, ButtonsDoNothingButTheTimeFormatWithoutADisc) {
    app.v.bCDInDrive = false;
    enter(State::Stopped);
    for (auto action : {&frmCD::imgPlay_Click, &frmCD::imgStop_Click, &frmCD::imgForward_Click,
                        &frmCD::imgBack_Click}) {
        (f.get()->*action)();
        EXPECT_EQ(sent(), Commands{tmsf});
    }
    f->imgPause_Click();
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(state(), State::Stopped);
    EXPECT_EQ(app.v.iCurrentTrack, 5);
}

TEST_F(Transport, BackRestartsATrackAfterSevenSecondsAndLeavesTrackOneAlone) {
    enter(State::Playing);
    app.v.iElapsedMin = 1;
    app.v.iElapsedSec = 10;
    f->imgBack_Click();
    EXPECT_EQ(sent(), (Commands{tmsf, stop, "play cd1 from 5"}));
    EXPECT_EQ(app.v.iCurrentTrack, 5);
    EXPECT_EQ(app.v.iElapsedSec, 0);

    app.v.iCurrentTrack = 1;
    app.v.iElapsedSec = 30;
    f->ProgressBar->setValue(30);
    f->imgBack_Click();
    EXPECT_EQ(sent(), Commands{tmsf}) << "the music goes on";
    EXPECT_EQ(app.v.iElapsedSec, 0);
    EXPECT_EQ(f->ProgressBar->Value(), 0);
    EXPECT_EQ(f->cboCurrentTrack->text(), "1");
}

TEST_F(Transport, ForwardOnTheLastTrackKeepsCountingAndDoesNotWrap) {
    enter(State::Playing);
    app.v.iCurrentTrack = 12;
    app.v.iElapsedSec = 40;
    f->ProgressBar->setValue(40);
    f->imgForward_Click();
    EXPECT_EQ(sent(), (Commands{tmsf, tracks}));
    EXPECT_EQ(app.v.iCurrentTrack, 12);
    EXPECT_EQ(app.v.iElapsedSec, 40);
    EXPECT_EQ(f->ProgressBar->Value(), 0);
    EXPECT_EQ(f->lblTotTracks->text(), "12");
}

TEST_F(Transport, SteppingWithTitlesShowsNumberDashTitleAndUsesTheLookupsCount) {
    freedb->titles = {"One", "Two", "Three"};
    freedb->seconds = {100, 185, 60};
    app.v.bCDDBFound = true;
    app.v.bAudioCD = true;
    app.v.iCurrentTrack = 2;
    enter(State::Playing);
    f->imgForward_Click();
    EXPECT_EQ(f->cboCurrentTrack->text(), "3 - Three");
    EXPECT_EQ(f->lblTotTrackTime->text(), "1:00");
    f->imgForward_Click();
    EXPECT_EQ(app.v.iCurrentTrack, 3) << "the lookup says three tracks, not the device's twelve";
    f->imgBack_Click();
    EXPECT_EQ(f->cboCurrentTrack->text(), "2 - Two");
    EXPECT_EQ(f->lblTotTrackTime->text(), "3:05");
    EXPECT_EQ(f->ProgressBar->Max(), 185);
}

TEST_F(Transport, StopThenPlayStartsAtTheSameTrack) {
    enter(State::Playing);
    app.v.iCurrentTrack = 6;
    app.v.iElapsedSec = 20;
    f->lblTime->setText("0:20");
    f->imgStop_Click();
    EXPECT_EQ(f->lblTime->text(), "0:00");
    EXPECT_EQ(app.v.iElapsedSec, 0);
    EXPECT_FALSE(f->tmrTime->isActive());
    sent();
    f->imgPlay_Click();
    EXPECT_EQ(sent(), (Commands{tmsf, "play cd1 from 6"}));
}

TEST_F(Transport, TheTrackBoxRuleReadsPlainNumbersAndTitledEntries) {
    const std::vector<std::pair<QString, Integer>> cases{
        {"7", 7}, {"12", 12}, {"7.", 7}, {"12.", 12}, {"1. Intro", 1}, {"12. Finale", 12}};
    for (const auto& [text, track] : cases) {
        f->cboCurrentTrack->setText(text);
        f->cboCurrentTrack_Click();
        EXPECT_EQ(app.v.iCurrentTrack, track) << text.toStdString();
        EXPECT_EQ(app.v.iElapsedSec, 0);
    }
}

TEST_F(Transport, DropDownUnlocksTheTrackBox) {
    EXPECT_TRUE(f->cboCurrentTrack->locked());
    f->cboCurrentTrack_DropDown();
    EXPECT_FALSE(f->cboCurrentTrack->locked());
    f->cboCurrentTrack_Click();
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
    // A missing bitmap leaves the button as it is.
    f->imgStop_MouseDown();
    EXPECT_TRUE(f->imgStop->picture().isNull());
    EXPECT_TRUE(tp.messageBox->boxes.empty());
}
