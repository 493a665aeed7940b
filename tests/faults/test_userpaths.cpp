#include "cd/playerfixture.h"
#include "faults/robustnessrow.h"
#include "mpris/mpris.h"
#include "support/dbusdaemon.h"

#include <QDBusMessage>
#include <QDBusVariant>
#include <QTest>
#include <QWheelEvent>

using namespace vornap;
using namespace vornap::test;

namespace {

// The player over generated discs, driven as a user drives it: the mouse on
// the buttons, the tray menu, the boxes' own signals, MPRIS on a private bus.
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
    void pickTrack(int track) {
        choose(f->cboCurrentTrack, QString::number(track));
        emit f->cboCurrentTrack->activated(f->cboCurrentTrack->currentIndex());
    }
    void pickDrive(const QString& entry) {
        emit f->cboCDDrive->dropDown();
        choose(f->cboCDDrive, entry);
        emit f->cboCDDrive->activated(f->cboCDDrive->currentIndex());
    }
    void ticks(int n) {
        for (int i = 0; i < n; ++i)
            tick();
    }
    // Seconds of wall time with the watcher looking after each.
    void playFor(int n) {
        for (int i = 0; i < n; ++i) {
            second();
            tick();
        }
    }
    // The track the drive is at, from its own position.
    int driveTrack() { return std::stoi(ask("status cd1 position").substr(0, 2)); }
    bool idle() const { return !app.v.bPlaying && !app.v.bPaused && !app.v.bStopped; }

    // MPRIS on a bus of the test's own; started by the test that needs it.
    void startMpris() {
        bus = std::make_unique<PrivateBus>();
        ASSERT_FALSE(bus->address().isEmpty()) << "no dbus-daemon";
        mpris = std::make_unique<MprisService>(app, bus->connect(QStringLiteral("player")));
        ASSERT_TRUE(mpris->start());
        client = bus->connect(QStringLiteral("client"));
    }
    void callMpris(const char* method) {
        const QDBusMessage reply =
            client.call(QDBusMessage::createMethodCall("org.mpris.MediaPlayer2.vornap",
                                                       "/org/mpris/MediaPlayer2",
                                                       "org.mpris.MediaPlayer2.Player", method),
                        QDBus::BlockWithGui, 5000);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << method;
    }
    QVariant mprisProperty(const char* name) {
        QDBusMessage get = QDBusMessage::createMethodCall("org.mpris.MediaPlayer2.vornap",
                                                          "/org/mpris/MediaPlayer2",
                                                          "org.freedesktop.DBus.Properties", "Get");
        get << QStringLiteral("org.mpris.MediaPlayer2.Player") << QString::fromLatin1(name);
        const QDBusMessage reply = client.call(get, QDBus::BlockWithGui, 5000);
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }
    std::unique_ptr<PrivateBus> bus;
    std::unique_ptr<MprisService> mpris;
    QDBusConnection client{QStringLiteral("none")};
};

} // namespace

// The half second between a disc's removal and the watcher's next tick.
TEST_F(UserPath, ForwardOrBackRightAfterTheDiscLeftActsAsWithoutADisc) {
    const RobustnessRow row("Forward or Back (button, tray menu, MPRIS) between a disc's removal "
                            "and the next watcher tick",
                            "Nothing happens, the next tick shows \"No CD\"");
    startMpris();
    const std::vector<std::pair<const char*, std::function<void()>>> ways{
        {"Forward button", [&] { press(f->imgForward); }},
        {"Back button", [&] { press(f->imgBack); }},
        {"tray Forward", [&] { f->mnuFwd->trigger(); }},
        {"tray Back", [&] { f->mnuBack->trigger(); }},
        {"MPRIS Next", [&] { callMpris("Next"); }},
        {"MPRIS Previous", [&] { callMpris("Previous"); }},
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
        EXPECT_FALSE(app.v.bCDInDrive);
        EXPECT_EQ(f->lblTime->text(), "No CD");
        EXPECT_TRUE(app.v.bStopped);
    }
}

TEST_F(UserPath, AnotherDriveChosenWhileADiscPlaysStopsTheOldOne) {
    const RobustnessRow row("Another drive chosen while a disc plays",
                            "The old drive stops, the player stands stopped on the new one");
    struct Case {
        QString entry, time;
        char letter;
    };
    for (const Case& c :
         {Case{"G:\\ - No CD", "No CD", 'G'}, Case{"F:\\ - Album Unknown", "0:00", 'F'}}) {
        SCOPED_TRACE(c.entry.toStdString());
        pickDrive("E:\\ - Album Unknown");
        tick();
        press(f->imgPlay);
        seconds(3);
        ASSERT_EQ(mode('E'), Mode::Playing);
        pickDrive(c.entry);
        EXPECT_EQ(mode('E'), Mode::Stopped);
        EXPECT_TRUE(app.v.bStopped);
        second();
        EXPECT_EQ(f->lblTime->text(), c.time) << "no clock left counting";
        tick();
        EXPECT_EQ(f->lblTime->text(), c.time);
        press(f->imgPlay);
        EXPECT_EQ(mode('E'), Mode::Stopped) << "Play acts on the new drive";
        EXPECT_EQ(mode('F'), c.letter == 'F' ? Mode::Playing : Mode::Stopped);
    }
    EXPECT_TRUE(tp.messageBox->boxes.empty());
}

// The watcher follows the drive's own advance; what the user chose while the
// drive was paused, stopped or at its end stays.
TEST_F(UserPath, TrackChoicesWhileTheDriveDoesNotPlayStay) {
    const RobustnessRow row("Back, Forward or a track chosen while paused, stopped or after the "
                            "end of the disc",
                            "The choice stays and Play plays it: the watcher follows the drive's "
                            "tracks only while it plays");
    // Three seconds into track 2, paused, Back: track 1 stays, Play plays it.
    press(f->imgPlay);
    playFor(13);
    ASSERT_EQ(app.v.iCurrentTrack, 2);
    press(f->imgPause);
    press(f->imgBack);
    ticks(3);
    EXPECT_EQ(app.v.iCurrentTrack, 1);
    press(f->imgPlay);
    EXPECT_EQ(driveTrack(), 1);

    // Paused in track 3, track 1 chosen: not walked back up.
    playFor(22);
    ASSERT_EQ(app.v.iCurrentTrack, 3);
    press(f->imgPause);
    pickTrack(1);
    ticks(3);
    EXPECT_EQ(app.v.iCurrentTrack, 1);
    EXPECT_EQ(mode('E'), Mode::Paused);

    // Played to its end, then a track chosen, Forward from it: no reset to 1.
    // The end comes with the last of the sound, not two seconds before.
    const RobustnessRow end("The last seconds of a disc",
                            "The track plays on to its end, then the player stands stopped on "
                            "track 1");
    press(f->imgStop);
    press(f->imgPlay);
    playFor(32);
    EXPECT_EQ(app.v.iCurrentTrack, 3);
    EXPECT_TRUE(app.v.bPlaying);
    EXPECT_EQ(f->lblTime->text(), "0:11");
    playFor(4);
    cd.device->player(*cd.table->find("E:\\")).waitForEnd();
    tick();
    ASSERT_TRUE(app.v.bStopped);
    ASSERT_EQ(app.v.iCurrentTrack, 1);
    pickTrack(2);
    ticks(2);
    EXPECT_EQ(app.v.iCurrentTrack, 2);
    press(f->imgForward);
    ticks(2);
    EXPECT_EQ(app.v.iCurrentTrack, 3);
    press(f->imgPlay);
    EXPECT_EQ(driveTrack(), 3);
    EXPECT_TRUE(tp.messageBox->boxes.empty());
}

TEST_F(UserPath, APauseTheDriveRefusesChangesNothing) {
    const RobustnessRow row("Pause the drive refuses (Play, Pause, Forward, then Pause)",
                            "The play state stays as it was, Play then plays the track");
    // Play, Pause, Forward (the drive stops, Idle), then Pause twice.
    press(f->imgPlay);
    seconds(2);
    press(f->imgPause);
    press(f->imgForward);
    ASSERT_TRUE(idle());
    press(f->imgPause);
    EXPECT_TRUE(idle());
    press(f->imgPause);
    EXPECT_TRUE(idle());
    EXPECT_FALSE(f->tmrTime->isActive()) << "no clock counting in silence";
    press(f->imgPlay);
    EXPECT_EQ(mode('E'), Mode::Playing);
    EXPECT_EQ(driveTrack(), 2);
    EXPECT_TRUE(tp.messageBox->boxes.empty());
}

// The list under a box is what the wheel steps from and what the opened list
// marks, whoever changed what the box shows.
TEST_F(UserPath, TheBoxesListsFollowWhatTheyShow) {
    const RobustnessRow row("Track or drive box scrolled or opened after the player changed what "
                            "it shows (Forward, Back, tray menu, the drive's own advance, a "
                            "start on a drive that is not the first)",
                            "The list marks the entry shown and the wheel steps on from it");
    press(f->imgPlay);
    struct Step {
        const char* name;
        std::function<void()> act;
        int track;
    };
    const std::vector<Step> steps{
        {"Forward twice",
         [&] {
             press(f->imgForward);
             press(f->imgForward);
         },
         3},
        {"Back", [&] { press(f->imgBack); }, 2},
        {"tray menu", [&] { f->mnuTrackList_Click(1); }, 1},
        {"the drive's advance", [&] { playFor(10); }, 2},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.act();
        ASSERT_EQ(app.v.iCurrentTrack, step.track);
        EXPECT_EQ(f->cboCurrentTrack->currentIndex(), step.track - 1);
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
}

// Play from the Idle state (Pause, then Forward) plays with every play flag
// down; MPRIS must still see and pause what plays.
TEST_F(UserPath, MprisFollowsPlayFromTheIdleState) {
    const RobustnessRow row("Play, Pause, Forward, then Play in the window, then MPRIS",
                            "MPRIS says Playing with the running position, its Pause and "
                            "PlayPause act on the drive");
    startMpris();
    press(f->imgPlay);
    seconds(2);
    press(f->imgPause);
    press(f->imgForward);
    press(f->imgPlay);
    ASSERT_TRUE(idle());
    ASSERT_EQ(mode('E'), Mode::Playing);
    playFor(2);
    EXPECT_EQ(mprisProperty("PlaybackStatus").toString(), "Playing");
    EXPECT_EQ(mprisProperty("Position").toLongLong(), 2'000'000);
    callMpris("Pause");
    EXPECT_EQ(mode('E'), Mode::Paused);
    EXPECT_EQ(mprisProperty("PlaybackStatus").toString(), "Paused");
    callMpris("PlayPause");
    EXPECT_EQ(mode('E'), Mode::Playing);
    EXPECT_EQ(driveTrack(), 2);
}
