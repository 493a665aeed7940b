#include "cd/display.h"
#include "cdfixture.h"

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
    const Commands stopAndRewind{tmsf, stop, "seek cd1 to 1"};
    // The button, the state before and after, the track after, the commands sent.
    const std::tuple<std::string, S, S, Integer, Commands> table[] = {
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
        {"Track", S::Idle, S::Idle, 9, {tmsf}}};
    for (const auto& [button, from, to, track, commands] : table) {
        SCOPED_TRACE(button + " from " + kStateNames[int(from)]);
        app.v.iCurrentTrack = 5;
        app.v.iElapsedMin = 0;
        app.v.iElapsedSec = 3;
        f->lblTime->setText("0:03");
        f->cboCurrentTrack->setText(QStringLiteral("9"));
        enter(from);
        if (from == S::Playing)
            f->tmrTime->start();
        else
            f->tmrTime->stop();
        sent();
        (f.get()->*kButtons.at(button))();
        EXPECT_EQ(state(), to);
        EXPECT_EQ(app.v.iCurrentTrack, track);
        EXPECT_EQ(sent(), commands);
        // The position timer runs while playing, and after Play from Idle.
        const bool playFromIdle = from == S::Idle && button == "Play";
        EXPECT_EQ(f->tmrTime->isActive(), to == S::Playing || playFromIdle);
        const bool keepsCount = button == "Play" || button == "Pause";
        EXPECT_EQ(app.v.iElapsedSec, keepsCount ? 3 : 0);
        EXPECT_EQ(f->lblTime->text(), button == "Stop" ? "0:00" : "0:03");
    }
}

// Back seven seconds into a track restarts it; on track one it only resets
// the count; Forward on the last track does not wrap and the count goes on.
TEST_F(Transport, BackAndForwardAtTheEdgesOfTheTrackAndTheDisc) {
    // The button, the track and seconds before and after, the commands sent.
    const std::tuple<void (frmCD::*)(), Integer, Integer, Integer, Integer, Commands> rows[] = {
        {&frmCD::imgBack_Click, 5, 70, 5, 0, {tmsf, stop, "play cd1 from 5"}},
        {&frmCD::imgBack_Click, 1, 30, 1, 0, {tmsf}},
        {&frmCD::imgForward_Click, 12, 40, 12, 40, {tmsf, tracks}}};
    enter(S::Playing);
    for (const auto& [button, track, elapsed, trackAfter, elapsedAfter, commands] : rows) {
        app.v.iCurrentTrack = track;
        app.v.iElapsedMin = elapsed / 60;
        app.v.iElapsedSec = elapsed % 60;
        f->ProgressBar->setValue(elapsed);
        sent();
        (f.get()->*button)();
        EXPECT_EQ(sent(), commands) << track;
        EXPECT_EQ(app.v.iCurrentTrack, trackAfter);
        EXPECT_EQ(app.v.iElapsedMin * 60 + app.v.iElapsedSec, elapsedAfter);
        EXPECT_EQ(f->ProgressBar->Value(), 0);
    }
}

TEST_F(Transport, TheTrackBoxReadsPlainNumbersAndTitledEntriesAndStaysUnlocked) {
    f->cboCurrentTrack_DropDown();
    for (const auto& [text, track] : std::vector<std::pair<QString, Integer>>{
             {"7", 7}, {"12", 12}, {"7.", 7}, {"12.", 12}, {"1. Intro", 1}, {"12. Finale", 12}}) {
        f->cboCurrentTrack->setText(text);
        f->cboCurrentTrack_Click();
        EXPECT_EQ(app.v.iCurrentTrack, track) << text.toStdString();
    }
    EXPECT_FALSE(f->cboCurrentTrack->locked()) << "no handler locks it again";
}
