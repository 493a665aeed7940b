#include "playerfixture.h"

using namespace vornap;
using namespace vornap::test;

namespace {

struct Watcher : Player {
    void start(const di::DiscSpec& spec, const char* trayOnly = "0") {
        drive('E');
        insert('E', spec);
        writeOptions({.drive = "E:\\", .trayOnly = trayOnly});
        load();
        tick();
    }
    void withTitles() {
        freedb->titles = {"Dawn", "Noon", "Dusk"};
        freedb->seconds = {185, 11, 12};
        app.v.bCDDBFound = true; // as the lookup leaves it
    }
    // The tip changes the watcher made (adding the icon is not its business).
    std::vector<RecordingTray::Call> tipChanges() const {
        std::vector<RecordingTray::Call> out;
        for (const auto& call : tp.tray->calls)
            if (call.message == platform::NIM_MODIFY)
                out.push_back(call);
        return out;
    }
    // The whole 64-character tip field of the last change.
    QString lastTip() const {
        const auto changes = tipChanges();
        if (changes.empty())
            return {};
        const auto& tip = changes.back().data.szTip;
        return QString::fromLatin1(tip.data(), qsizetype(tip.size()));
    }
};

const di::DiscSpec threeTracks = audioDisc({10, 11, 12});

} // namespace

TEST_F(Watcher, ADiscAlreadyInTheDriveIsTakenInByTheFirstTick) {
    drive('E');
    insert('E', threeTracks);
    writeOptions({.drive = "E:\\"});
    load();
    EXPECT_EQ(f->lblTime->text(), "Loading...");
    EXPECT_FALSE(app.v.bCDInDrive);
    tick();
    EXPECT_TRUE(app.v.bCDInDrive);
    EXPECT_TRUE(app.v.bDeleteMenuItems);
    EXPECT_TRUE(app.v.bLoadMenuItems);
    EXPECT_EQ(f->lblTotTracks->text(), "3");
    EXPECT_EQ(f->lblTime->text(), "0:00");
    EXPECT_EQ(f->windowTitle(), "Vornap");
    EXPECT_EQ(ask("status cd1 mode"), "stopped") << "the tick leaves cd1 open";
}

TEST_F(Watcher, TheElapsedTimeFollowsPlayAndStopsAtTheTrackLength) {
    start(threeTracks);
    f->imgPlay_Click();
    EXPECT_EQ(f->lblTotTrackTime->text(), "0:10");
    for (int i = 0; i < 9; ++i) {
        second();
        tick();
    }
    EXPECT_EQ(f->lblTime->text(), "0:09");
    EXPECT_EQ(f->ProgressBar->Value(), 9);
    f->imgPause_Click();
    seconds(5);
    EXPECT_EQ(f->lblTime->text(), "0:09") << "pausing freezes the count";
    f->imgPlay_Click();
    second();
    EXPECT_EQ(f->lblTime->text(), "0:10");
    f->tmrTime_Timer();
    f->tmrTime_Timer();
    EXPECT_EQ(f->lblTime->text(), "0:10") << "the count stays at the length";
}

TEST_F(Watcher, TracksAdvanceWithTheDriveAndTheEndOfTheDiscReturnsToTrackOne) {
    start(threeTracks);
    f->imgPlay_Click();
    seconds(10);
    tick();
    EXPECT_EQ(app.v.iCurrentTrack, 2);
    EXPECT_EQ(f->cboCurrentTrack->text(), "2.");
    EXPECT_EQ(f->lblTotTrackTime->text(), "0:11");
    EXPECT_EQ(app.v.iElapsedSec, 0);
    EXPECT_EQ(f->ProgressBar->Value(), 0);
    EXPECT_EQ(f->ProgressBar->Max(), 11);
    second();
    tick();
    EXPECT_EQ(f->lblTime->text(), "0:01");
    seconds(11);
    tick();
    EXPECT_EQ(app.v.iCurrentTrack, 3);
    EXPECT_EQ(f->cboCurrentTrack->text(), "3.");

    // On the last track the count in the label stops any advance; the end of
    // the disc comes about two seconds early (absolute position, relative
    // length) and brings track 1 back, stopped.
    seconds(8);
    tick();
    EXPECT_EQ(app.v.iCurrentTrack, 3);
    seconds(4);
    tick();
    EXPECT_EQ(app.v.iCurrentTrack, 1);
    EXPECT_EQ(f->cboCurrentTrack->text(), "1.");
    EXPECT_EQ(f->lblTotTrackTime->text(), "0:10");
    EXPECT_EQ(f->lblTime->text(), "0:00");
    EXPECT_TRUE(app.v.bStopped);
    EXPECT_FALSE(app.v.bPlaying);
    EXPECT_FALSE(f->tmrTime->isActive());
    // Later ticks settle on the same display.
    seconds(2);
    tick();
    tick();
    EXPECT_EQ(app.v.iCurrentTrack, 1);
    EXPECT_EQ(f->lblTime->text(), "0:00");
    // Play starts the disc again from track 1.
    f->imgPlay_Click();
    EXPECT_EQ(mode('E'), Mode::Playing);
    EXPECT_EQ(ask("status cd1 position"), "01:00:00:00");
}

TEST_F(Watcher, WithTitlesTheTrackBoxAndTheEndOfTheDiscUseTheLookup) {
    start(threeTracks);
    withTitles();
    f->imgPlay_Click();
    seconds(10);
    tick();
    EXPECT_EQ(f->cboCurrentTrack->text(), "2. Noon");
    EXPECT_EQ(f->lblTotTrackTime->text(), "0:11");
    seconds(30);
    tick();
    EXPECT_EQ(app.v.iCurrentTrack, 1);
    EXPECT_EQ(f->cboCurrentTrack->text(), "Dawn");
    EXPECT_EQ(f->lblTotTrackTime->text(), "3:05");
    EXPECT_EQ(app.v.iTrackLen, 185);
}

TEST_F(Watcher, RemovalResetsTheDisplayAndReinsertionLoadsTheNewDisc) {
    start(threeTracks, "1");
    withTitles();
    f->imgPlay_Click();
    seconds(3);
    f->ProgressBar->setValue(3);
    eject('E');
    tick();
    EXPECT_FALSE(app.v.bCDInDrive);
    EXPECT_FALSE(app.v.bCDDBFound) << "the next disc must not show these titles";
    EXPECT_FALSE(f->tmrTime->isActive());
    EXPECT_EQ(app.v.iElapsedSec, 0);
    EXPECT_EQ(f->ProgressBar->Value(), 0);
    EXPECT_EQ(f->lblTime->text(), "No CD");
    for (auto* label : {f->lblArtist, f->lblAlbum, f->lblTotTrackTime, f->lblTotTracks})
        EXPECT_EQ(label->text(), "");
    EXPECT_EQ(f->cboCDDrive->text(), "E:\\ - No CD");
    EXPECT_EQ(f->sLastDriveText, "E:\\ - Unknown Album");
    EXPECT_EQ(f->cboCurrentTrack->count(), 0);
    EXPECT_EQ(app.v.iCurrentTrack, 1);
    EXPECT_EQ(lastTip(), QString("No CD!").leftJustified(64, ' ')) << "no NUL after it";

    f->lblTime->setText("x");
    tick();
    EXPECT_EQ(f->lblTime->text(), "No CD") << "the no-disc display repeats on every tick";

    insert('E', audioDisc({5, 5, 5, 5}));
    tick();
    EXPECT_TRUE(app.v.bCDInDrive);
    EXPECT_EQ(f->lblTotTracks->text(), "4");
    EXPECT_EQ(f->cboCurrentTrack->count(), 4);
    EXPECT_EQ(f->lblArtist->text(), "-");
    EXPECT_EQ(f->cboCDDrive->text(), "E:\\ - Unknown Album");
}

TEST_F(Watcher, TheTrayTipNamesTheTrackOnlyInTrayMode) {
    start(threeTracks, "1");
    ASSERT_FALSE(tipChanges().empty());
    EXPECT_EQ(lastTip(), (QString("Track 1") + QChar(0)).leftJustified(64, ' '));
    withTitles();
    tick();
    EXPECT_EQ(lastTip(), (QString("1. Dawn") + QChar(0)).leftJustified(64, ' '));
}

TEST_F(Watcher, NoTipChangesInWindowMode) {
    start(threeTracks, "0");
    eject('E');
    tick();
    EXPECT_TRUE(tipChanges().empty());
}

TEST_F(Watcher, ADataDiscIsWatchedButGetsNoTip) {
    start(dataDisc(), "1");
    EXPECT_TRUE(app.v.bCDInDrive);
    tp.tray->calls.clear(); // start-up added the icon
    tick();
    EXPECT_TRUE(tipChanges().empty());
    eject('E');
    tick();
    ASSERT_EQ(tipChanges().size(), 1u);
    EXPECT_EQ(lastTip().trimmed(), "No CD!");
}

TEST_F(Watcher, ForwardAndBackMoveTheDrive) {
    start(threeTracks);
    f->imgPlay_Click();
    seconds(2);
    f->imgForward_Click();
    EXPECT_EQ(app.v.iCurrentTrack, 2);
    EXPECT_EQ(ask("status cd1 position"), "02:00:00:00");
    EXPECT_EQ(f->cboCurrentTrack->text(), "2");
    EXPECT_EQ(f->lblTotTrackTime->text(), "0:11");
    seconds(8);
    f->imgBack_Click(); // eight seconds in: the same track again
    EXPECT_EQ(ask("status cd1 position"), "02:00:00:00");
    f->imgBack_Click(); // at once: the track before
    EXPECT_EQ(app.v.iCurrentTrack, 1);
    EXPECT_EQ(ask("status cd1 position"), "01:00:00:00");
    f->imgStop_Click();
    EXPECT_EQ(mode('E'), Mode::Stopped);
    choose(f->cboCurrentTrack, "3");
    f->cboCurrentTrack_Click();
    EXPECT_EQ(mode('E'), Mode::Stopped) << "stopped: only the number changes";
    f->imgPlay_Click();
    EXPECT_EQ(ask("status cd1 position"), "03:00:00:00");
    f->imgPause_Click();
    EXPECT_EQ(mode('E'), Mode::Paused);
    choose(f->cboCurrentTrack, "1");
    f->cboCurrentTrack_Click();
    f->imgPlay_Click();
    EXPECT_EQ(mode('E'), Mode::Playing);
    EXPECT_EQ(ask("status cd1 position"), "03:00:00:00") << "the paused position resumes";
    EXPECT_EQ(app.v.iCurrentTrack, 1);
}
