#include "cd/playerfixture.h"
#include "faults/robustnessrow.h"

#include <QCoreApplication>
#include <QDebug>
#include <malloc.h>

using namespace vornap;
using namespace vornap::test;

namespace {

// A disc written once and moved in and out of drive E:'s tray, in tray mode.
struct Soak : Player {
    Soak() {
        startWith(audioDisc({30, 30, 30}), {.trayOnly = QStringLiteral("1")});
        put(false);
    }
    const QString shelf = dir.path(); // beside the options file
    const QString tray = trayOf('E');
    void put(bool in) { // into the tray or back onto the shelf; the watcher ticks
        for (const char* name : {"/disc.bin", "/disc.cue"})
            ASSERT_TRUE(QFile::rename((in ? shelf : tray) + name, (in ? tray : shelf) + name));
        tick();
    }
    // What the window, the tray tip and the state show of a disc just put in.
    std::string shown() {
        const Variables& v = app.v;
        QString out;
        QDebug(&out) << f->lblTime->text() << f->lblTotTracks->text() << f->lblTotTrackTime->text()
                     << f->cboCurrentTrack->text() << f->cboCDDrive->text() << f->windowTitle()
                     << QByteArray(v.nidTray.szTip.data(), 64) << v.bPlaying << v.bPaused
                     << v.bStopped << v.bLoadCD << v.bCDInDrive << v.bAudioCD << v.bCDDBFound
                     << f->tmrTime->isActive() << f->cboCurrentTrack->count()
                     << f->ProgressBar->Value() << int(mode('E'));
        return out.toStdString();
    }
    // Seconds on the manual clock, the watcher ticking twice a second as its timer does.
    void run(int secondsToRun) {
        for (int half = 1; half <= 2 * secondsToRun; ++half) {
            clock.advanceMs(500);
            if (half % 2 == 0 && f->tmrTime->isActive()) {
                f->tmrTime_Timer();
                ++played;
            }
            tick();
        }
    }
    std::int64_t played = 0; // seconds the position display counted
};

} // namespace

TEST_F(Soak, FiveHundredDiscsAndFiveHoursOfPlayLeaveNoStuckStateAndNoGrowth) {
    const RobustnessRow row("Five hundred insertions and removals with five hours of play, "
                            "pause, stop and removal while playing",
                            "Every insertion shows what the first did, the heap does not grow");
    const std::pair<void (frmCD::*)(), int> buttons[] = {
        {&frmCD::imgPlay_Click, 5},     {&frmCD::imgStop_Click, 1},  {&frmCD::imgPlay_Click, 0},
        {&frmCD::imgForward_Click, 15}, {&frmCD::imgPause_Click, 3}, {&frmCD::imgPlay_Click, 2}};
    std::string fresh;
    std::size_t warmHeap = 0;
    for (int cycle = 0; cycle < 500; ++cycle) {
        put(true);
        fresh = cycle ? fresh : shown();
        ASSERT_EQ(shown(), fresh) << "insertion " << cycle;
        for (const auto& [press, seconds] : buttons) {
            (f.get()->*press)();
            run(seconds);
        }
        ASSERT_EQ(app.v.iCurrentTrack, 2) << cycle;
        // Then to the end of the disc, 43 s on, or taken out while it plays or is paused.
        if (cycle % 2 == 0)
            run(46);
        else if (cycle % 4 == 3)
            f->imgPause_Click();
        ASSERT_EQ(app.v.bPlaying, cycle % 4 == 1) << cycle;
        put(false);
        ASSERT_EQ(f->lblTime->text(), "No CD") << cycle;
        ASSERT_TRUE(tp.messageBox->boxes.empty()) << tp.messageBox->boxes[0].text.toStdString();
        tp.tray->calls.clear();
        // As the event loop between two ticks: what deleteLater() let go of goes now.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        warmHeap = cycle == 20 ? mallinfo2().uordblks : warmHeap;
    }
    EXPECT_GE(played, 5 * 3600);
    // Room for the allocator's noise, yet a leak of 2 KB per disc fails it.
    EXPECT_LT(mallinfo2().uordblks, warmHeap + 1024 * 1024) << warmHeap << " bytes after warm-up";
}
