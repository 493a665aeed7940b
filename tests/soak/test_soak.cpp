#include "cd/playerfixture.h"
#include "faults/robustnessrow.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <malloc.h>

using namespace vornap;
using namespace vornap::test;

namespace {

std::size_t heapInUse() {
    return mallinfo2().uordblks;
}

struct Soak : Player {
    static constexpr int kCycles = 1000;
    static constexpr int kTrackSeconds = 30;

    Soak() {
        drive('E');
        // The disc is written once and moved in and out of the tray.
        insert('E', audioDisc({kTrackSeconds, kTrackSeconds, kTrackSeconds}));
        QDir().mkpath(store());
        takeOut();
        OptionsValues o;
        o.drive = QStringLiteral("E:\\");
        o.trayOnly = QStringLiteral("1");
        writeOptions(o);
        load();
        tick();
    }
    QString store() const { return dir.filePath("shelf"); }
    void move(const QString& from, const QString& to) {
        for (const char* name : {"/disc.bin", "/disc.cue"})
            ASSERT_TRUE(QFile::rename(from + name, to + name));
    }
    void putIn() { move(store(), trayOf('E')); }
    void takeOut() { move(trayOf('E'), store()); }

    // What the window and the state show of a disc; after every insertion it
    // must be what the first insertion showed.
    std::string shown() {
        const Variables& v = app.v;
        QStringList out;
        for (const bool b : {v.bPlaying, v.bPaused, v.bStopped, v.bLoadCD, v.bCDInDrive, v.bAudioCD,
                             v.bCDDBFound, f->tmrTime->isActive()})
            out << QString::number(b);
        for (const long n :
             {long(v.iCurrentTrack), long(v.iTotalTracks), long(v.iElapsedMin), long(v.iElapsedSec),
              long(f->cboCurrentTrack->count()), long(f->ProgressBar->Value()), long(mode('E'))})
            out << QString::number(n);
        out << f->lblTime->text() << f->lblTotTracks->text() << f->lblTotTrackTime->text()
            << f->cboCurrentTrack->text() << f->cboCDDrive->text() << f->windowTitle()
            << QString::fromLatin1(v.nidTray.szTip.data(), qsizetype(v.nidTray.szTip.size()));
        return out.join(u'|').toStdString();
    }
    // Seconds of wall time on the manual clock, with the watcher ticking
    // twice a second as its timer does.
    void run(int secondsToRun) {
        for (int i = 0; i < secondsToRun; ++i) {
            clock.advanceMs(500);
            tick();
            clock.advanceMs(500);
            if (f->tmrTime->isActive())
                f->tmrTime_Timer();
            tick();
            played += f->tmrTime->isActive() ? 1 : 0;
        }
    }

    std::int64_t played = 0; // seconds the position display counted
};

} // namespace

TEST_F(Soak, AThousandDiscsAndTenHoursOfPlayLeaveNoStuckStateAndNoGrowth) {
    const RobustnessRow row("A thousand insertions and removals with ten hours of play, "
                            "pause, stop and removal while playing",
                            "Every insertion shows what the first did, the heap does not grow");
    QElapsedTimer wall;
    wall.start();
    ASSERT_EQ(f->lblTime->text(), "No CD");
    std::string fresh;
    std::size_t warmHeap = 0;
    std::size_t midHeap = 0;
    const int fullDisc = 3 * kTrackSeconds + 3;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        putIn();
        tick();
        if (cycle == 0)
            fresh = shown();
        ASSERT_EQ(shown(), fresh) << "insertion " << cycle;
        ASSERT_EQ(f->lblTime->text(), "0:00");

        f->imgPlay_Click();
        switch (cycle % 4) {
        case 0: // the whole disc
            run(fullDisc);
            ASSERT_TRUE(app.v.bStopped) << cycle;
            break;
        case 1: // taken out while it plays, in the second track
            run(2 * kTrackSeconds - 5);
            ASSERT_EQ(app.v.iCurrentTrack, 2) << cycle;
            break;
        case 2: // paused on the first track, then taken out
            run(kTrackSeconds / 2);
            f->imgPause_Click();
            run(3);
            break;
        case 3: // forward to the last track, stopped there
            f->imgForward_Click();
            f->imgForward_Click();
            run(kTrackSeconds / 2);
            ASSERT_EQ(app.v.iCurrentTrack, 3) << cycle;
            f->imgStop_Click();
            run(1);
            break;
        }
        takeOut();
        tick();
        ASSERT_EQ(f->lblTime->text(), "No CD") << cycle;
        ASSERT_TRUE(tp.messageBox->boxes.empty()) << tp.messageBox->boxes[0].text.toStdString();
        tp.tray->calls.clear();
        // What the event loop does between two timer ticks: objects the
        // handlers let go of with deleteLater() go now.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (cycle == 20)
            warmHeap = heapInUse();
        if (cycle == kCycles / 2)
            midHeap = heapInUse();
    }
    const std::size_t endHeap = heapInUse();
    std::cout << "soak: " << kCycles << " discs, " << played / 3600.0 << " h of play, heap "
              << warmHeap / 1024 << " KiB after warm-up, " << midHeap / 1024 << " KiB half-way, "
              << endHeap / 1024 << " KiB at the end, " << wall.elapsed() / 1000.0 << " s\n";
    EXPECT_GE(played, 10 * 3600);
    // Generous: a leak of even a few hundred bytes per disc would pass it.
    EXPECT_LT(endHeap, warmHeap + 2 * 1024 * 1024);
}
