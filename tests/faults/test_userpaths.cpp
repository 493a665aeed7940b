#include "cd/playerfixture.h"
#include "faults/robustnessrow.h"
#include "mpris/mpris.h"

#include <QRandomGenerator>
#include <QTest>
#include <QWheelEvent>

using namespace vornap;
using namespace vornap::test;

namespace {

// The player over generated discs, driven as a user drives it: the mouse on
// the buttons, the tray menu, the boxes' own signals and MPRIS's methods (the
// bus itself is walked in qt/tst_journeys).
struct UserPath : Player {
    // Three tracks in E:, the drive in use; two in F:; G: empty.
    void SetUp() override {
        for (char letter : {'E', 'F', 'G'})
            drive(letter);
        insert('E', audioDisc({10, 11, 12}));
        insert('F', audioDisc({5, 5}));
        writeOptions({.drive = "E:\\"});
        load();
        tick();
    }
    void press(ImageBox* button) { QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(2, 2)); }
    void pick(LockableComboBox* box, const QString& entry) {
        emit box->dropDown();
        choose(box, entry);
        emit box->activated(box->currentIndex());
    }
    // Seconds of wall time with the watcher looking after each; or ticks alone.
    void playFor(int n, bool clock = true) {
        for (int i = 0; i < n; ++i) {
            if (clock)
                second();
            tick();
        }
    }
    // The track the drive is at, from its own position.
    int driveTrack() { return std::stoi(ask("status cd1 position").substr(0, 2)); }
    bool idle() const { return !app.v.bPlaying && !app.v.bPaused && !app.v.bStopped; }

    MprisService service{app, QDBusConnection(QStringLiteral("none"))};
    MprisPlayer& mpris = *service.findChild<MprisPlayer*>();
};

} // namespace

// The half second between a disc's removal and the watcher's next tick.
TEST_F(UserPath, ForwardOrBackRightAfterTheDiscLeftActsAsWithoutADisc) {
    const RobustnessRow row("Forward or Back (button, tray menu, MPRIS) between a disc's removal "
                            "and the next watcher tick",
                            "Nothing happens, the next tick shows \"No CD\"");
    // Forward by the mouse and MPRIS Next: qt/tst_journeys, e2e/player.sh.
    const std::vector<std::pair<const char*, std::function<void()>>> ways{
        {"Back button", [&] { press(f->imgBack); }},
        {"tray Forward", [&] { f->mnuFwd->trigger(); }},
        {"tray Back", [&] { f->mnuBack->trigger(); }},
        {"MPRIS Previous", [&] { mpris.Previous(); }},
    };
    for (const auto& [name, way] : ways) {
        SCOPED_TRACE(name);
        if (!app.v.bCDInDrive) {
            insert('E', audioDisc({10, 11, 12}));
            tick();
        }
        press(f->imgPlay);
        playFor(12);
        ASSERT_EQ(app.v.iCurrentTrack, 2);
        eject('E');
        way();
        EXPECT_TRUE(tp.messageBox->boxes.empty());
        tick();
        EXPECT_EQ(f->lblTime->text(), "No CD");
        EXPECT_TRUE(app.v.bStopped && !app.v.bCDInDrive);
    }
}

// A switch to a drive with a disc is walked in qt/tst_journeys.
TEST_F(UserPath, AnotherDriveChosenWhileADiscPlaysStopsTheOldOne) {
    const RobustnessRow row("Another drive chosen while a disc plays",
                            "The old drive stops, the player stands stopped on the new one");
    press(f->imgPlay);
    seconds(3);
    pick(f->cboCDDrive, "G:\\ - No CD");
    EXPECT_TRUE(mode('E') == Mode::Stopped && app.v.bStopped);
    playFor(1);
    EXPECT_EQ(f->lblTime->text(), "No CD") << "no clock left counting";
    press(f->imgPlay);
    EXPECT_EQ(mode('E'), Mode::Stopped) << "Play acts on the new drive";
    EXPECT_TRUE(tp.messageBox->boxes.empty());
}

// The watcher follows the drive's own advance; what the user chose while the
// drive was paused, stopped or at its end stays.
TEST_F(UserPath, TrackChoicesWhileTheDriveDoesNotPlayStay) {
    const RobustnessRow row("Back, Forward or a track chosen while paused, stopped or after the "
                            "end of the disc",
                            "The choice stays and Play plays it: the watcher follows the drive's "
                            "tracks only while it plays");
    const RobustnessRow end("The last seconds of a disc",
                            "The track plays on to its end, then the player stands stopped on "
                            "track 1");
    // Three seconds into track 2, paused, Back: track 1 stays, Play plays it.
    press(f->imgPlay);
    playFor(13);
    ASSERT_EQ(app.v.iCurrentTrack, 2);
    press(f->imgPause);
    press(f->imgBack);
    playFor(3, false);
    EXPECT_EQ(app.v.iCurrentTrack, 1);
    press(f->imgPlay);
    EXPECT_EQ(driveTrack(), 1);

    // Paused in track 3, track 1 chosen: not walked back up.
    playFor(22);
    ASSERT_EQ(app.v.iCurrentTrack, 3);
    press(f->imgPause);
    pick(f->cboCurrentTrack, "1");
    playFor(3, false);
    EXPECT_EQ(app.v.iCurrentTrack, 1);
    EXPECT_EQ(mode('E'), Mode::Paused);

    // The end comes with the last of the sound, not two seconds before;
    // then a track chosen, and Forward from it: no reset to 1.
    press(f->imgStop);
    press(f->imgPlay);
    playFor(32);
    EXPECT_TRUE(app.v.bPlaying && app.v.iCurrentTrack == 3);
    EXPECT_EQ(f->lblTime->text(), "0:11");
    playFor(4);
    cd.device->player(*cd.table->find("E:\\")).waitForEnd();
    tick();
    ASSERT_TRUE(app.v.bStopped);
    ASSERT_EQ(app.v.iCurrentTrack, 1);
    pick(f->cboCurrentTrack, "2");
    playFor(2, false);
    EXPECT_EQ(app.v.iCurrentTrack, 2);
    press(f->imgForward);
    playFor(2, false);
    EXPECT_EQ(app.v.iCurrentTrack, 3);
    press(f->imgPlay);
    EXPECT_EQ(driveTrack(), 3);
    EXPECT_TRUE(tp.messageBox->boxes.empty());
}

// The list under a box is what the wheel steps from and what the opened list
// marks, whoever changed what the box shows.
TEST_F(UserPath, TheBoxesListsFollowWhatTheyShow) {
    const RobustnessRow damaged("Options file of random bytes (its drive naming no drive)",
                                "The player takes the first drive, as on a first start");
    const RobustnessRow row("Track or drive box scrolled or opened after the player changed what "
                            "it shows (Forward, Back, tray menu, the drive's own advance, a "
                            "start on a drive that is not the first)",
                            "The list marks the entry shown and the wheel steps on from it");
    press(f->imgPlay);
    const std::vector<std::tuple<const char*, std::function<void()>, int>> steps{
        {"Forward twice", [&] { press(f->imgForward), press(f->imgForward); }, 3},
        {"Back", [&] { press(f->imgBack); }, 2},
        {"tray menu", [&] { f->mnuTrackList_Click(1); }, 1},
        {"the drive's advance", [&] { playFor(10); }, 2},
    };
    for (const auto& [name, act, track] : steps) {
        act();
        ASSERT_EQ(app.v.iCurrentTrack, track) << name;
        EXPECT_EQ(f->cboCurrentTrack->currentIndex(), track - 1) << name;
    }
    emit f->cboCurrentTrack->dropDown(); // the opened list unlocks the box
    QWheelEvent notchDown(QPointF(5, 5), f->cboCurrentTrack->mapToGlobal(QPointF(5, 5)), {},
                          QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(f->cboCurrentTrack, &notchDown);
    EXPECT_EQ(app.v.iCurrentTrack, 3);
    EXPECT_EQ(driveTrack(), 3);

    writeOptions({.drive = "F:\\"});
    f.reset();
    f = std::make_unique<frmCD>(app, std::make_unique<FakeFreeDb>());
    load();
    tick();
    EXPECT_EQ(f->cboCDDrive->text(), "F:\\ - Unknown Album");
    EXPECT_EQ(f->cboCDDrive->currentIndex(), 1);

    QByteArray junk(3000, 0);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(junk.data()), 750);
    writeFile(dir.filePath("VornapOptions.dat"), junk);
    f = std::make_unique<frmCD>(app, std::make_unique<FakeFreeDb>());
    load();
    tick();
    EXPECT_EQ(f->cboCDDrive->text(), "E:\\ - Unknown Album");
}

// Play, Pause, Forward leaves the Idle state: the drive stopped, every play
// flag down. Pause is refused there; Play plays with every flag still down,
// and MPRIS must still see and pause what plays.
TEST_F(UserPath, PauseRefusedAndPlayFromTheIdleStateAreFollowedByMpris) {
    const RobustnessRow row("Pause the drive refuses (Play, Pause, Forward, then Pause)",
                            "The play state stays as it was, Play then plays the track");
    const RobustnessRow mprisRow("Play, Pause, Forward, then Play in the window, then MPRIS",
                                 "MPRIS says Playing with the running position, its Pause and "
                                 "PlayPause act on the drive");
    press(f->imgPlay);
    seconds(2);
    press(f->imgPause);
    press(f->imgForward);
    ASSERT_TRUE(idle());
    press(f->imgPause);
    press(f->imgPause);
    EXPECT_TRUE(idle() && !f->tmrTime->isActive()) << "no clock counting in silence";
    press(f->imgPlay);
    ASSERT_TRUE(idle() && mode('E') == Mode::Playing);
    EXPECT_EQ(driveTrack(), 2);
    playFor(2);
    EXPECT_EQ(mpris.playbackStatus() + ' ' + QString::number(mpris.position()), "Playing 2000000");
    mpris.Pause();
    EXPECT_EQ(mpris.playbackStatus(), "Paused");
    EXPECT_EQ(mode('E'), Mode::Paused);
    mpris.PlayPause();
    EXPECT_EQ(mode('E'), Mode::Playing);
    EXPECT_EQ(driveTrack(), 2);
    EXPECT_TRUE(tp.messageBox->boxes.empty());
}
