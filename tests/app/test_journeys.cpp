#include "about/frmabout.h"
#include "freedb/freedblookup.h"
#include "freedb/frmemail.h"
#include "freedb/frmsetproxy.h"
#include "mpris/mpris.h"
#include "options/frmpref.h"
#include "options/options.h"
#include "platform/discimage/demodisc.h"
#include "platform/discimage/discimage.h"
#include "platform/mci/mcidevice.h"
#include "platform/userdata.h"
#include "skins/dirlistbox.h"
#include "skins/frmselectskindirectory.h"
#include "support/apptest.h"
#include "support/dbusdaemon.h"
#include "support/files.h"
#include "support/localhttp.h"
#include "support/modalscript.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;
namespace di = platform::discimage;

namespace {

// Titles from a lookup are text, never markup.
const QByteArray kArtist = "Night <i>Owls</i>";
const QStringList kTitles{"Dusk", "Midnight", "Dawn"};

// A CDDB server that knows every disc as the Night Owls' album; MusicBrainz
// knows none.
LocalHttpServer::Reply cddbServer(const LocalHttpServer::Request& r) {
    if (!r.path.startsWith(QLatin1String("/~cddb/")))
        return {404, "{\"error\":\"Not Found\"}", "application/json"};
    const QStringList words = r.query.queryItemValue(QStringLiteral("cmd")).split(u'+');
    const QByteArray id = words.value(2).toLatin1();
    if (words.value(1) == QLatin1String("query"))
        return {200, "200 rock " + id + ' ' + kArtist + " / Late Hours\r\n"};
    QByteArray entry = "210 rock " + id + " follows\r\n# xmcd\r\nDISCID=" + id +
                       "\r\nDTITLE=" + kArtist + " / Late Hours\r\n";
    for (int i = 0; i < kTitles.size(); ++i)
        entry += "TTITLE" + QByteArray::number(i) + '=' + kTitles[i].toUtf8() + "\r\n";
    return {200, entry + ".\r\n"};
}

// Outlives the player and its drives, which read it to the end.
struct JourneyClock {
    platform::ManualClock clock;
};

// A new user's player, put together as main() does, over the real drive layer
// (generated disc images, a manual clock), the real lookup against a local
// CDDB server, and MPRIS on a bus of its own. The options are those a first
// start writes: play on start, FreeDB and the start-up query on.
struct Journey : ::testing::Test, JourneyClock, AppFixture {
    Journey() : cddb(cddbServer) {
        for (const char* file : {"Demo.cue", "Demo.bin"}) {
            QDir().mkpath(path("Demo"));
            QFile::link(buildDir() + "/bin/Demo/" + file, path("Demo/") + file);
        }
        const QDir shipped(buildDir() + "/shipped/CDDB/misc");
        QDir().mkpath(path("CDDB/misc"));
        for (const QString& entry : shipped.entryList(QDir::Files))
            QFile::copy(shipped.filePath(entry), path("CDDB/misc/" + entry));
        platform::seedDemoOptions(dir.path());
    }
    // The address typed into the preferences, as journey two leaves it.
    void useOwnServer() {
        QByteArray options = readFile(path("VornapOptions.dat"));
        options.replace("gnudb.gnudb.org", cddb.address().toLatin1());
        options.replace("CDDB\",\"\"", "CDDB\",\"me@example.org\"");
        writeFile(path("VornapOptions.dat"), options);
    }
    // Virtual drives whose trays are folders; none: the demo disc in D:.
    void start(const QString& letters = {}) {
        QStringList lines;
        for (QChar letter : letters) {
            QDir().mkpath(tray(letter));
            lines << QString(letter) + ":\\=" + tray(letter);
        }
        if (!lines.isEmpty())
            writeFile(path("VornapDrives.dat"), lines.join('\n').toUtf8());
        platform::CdDeviceOptions o;
        o.appPath = dir.path();
        o.realDrives = false;
        o.demoWhenNoDrives = true;
        o.clock = std::shared_ptr<platform::Clock>(std::shared_ptr<platform::Clock>(), &clock);
        o.output = std::make_shared<platform::audio::NullAudioOutput>(clock);
        cd = platform::makeCdDevices(o);
        cd.installInto(tp.platform);
        tp.mci = nullptr; // the recording device is gone
        LookupSettings lookup;
        lookup.musicBrainzUrl = cddb.base();
        freedb = std::make_unique<FreeDbLookup>(*tp.platform.discToc, *tp.platform.registry,
                                                dir.path(), lookup);
        RegisterAboutForm(app);
        RegisterEmailForm(app);
        RegisterProxyForm(app);
        registerPreferencesDialog(app);
        RegisterSkinChooserForm(app);
        f = &load();
        ASSERT_FALSE(bus.address().isEmpty()) << "no dbus-daemon";
        mpris = std::make_unique<MprisService>(app, bus.connect(QStringLiteral("player")));
        ASSERT_TRUE(mpris->start());
        client = bus.connect(QStringLiteral("client"));
        f->show();
        tick();
    }
    QString tray(QChar letter) const { return path(QStringLiteral("tray") + letter); }
    void insert(QChar letter, std::vector<int> seconds) {
        di::DiscSpec spec;
        for (int s : seconds)
            spec.tracks.push_back(di::TrackSpec::audio(di::seconds(s)));
        QDir().mkpath(tray(letter));
        ASSERT_TRUE(di::writeBinCue(spec, tray(letter) + "/disc.cue"));
    }
    void eject(QChar letter) {
        for (const QString& name : QDir(tray(letter)).entryList(QDir::Files))
            QFile::remove(tray(letter) + '/' + name);
    }
    void tick() { f->tmrCDCheck_Timer(); }
    // Seconds of wall time, the watcher looking after each.
    void play(int seconds) {
        for (int i = 0; i < seconds; ++i) {
            clock.advanceMs(1000);
            if (f->tmrTime->isActive())
                f->tmrTime_Timer();
            tick();
        }
    }
    void press(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(2, 2)); }
    // The user opens a box's list and picks the entry that starts so.
    void pick(LockableComboBox* box, const QString& start) {
        emit box->dropDown();
        const int index = box->findText(start, Qt::MatchStartsWith);
        ASSERT_GE(index, 0) << start.toStdString();
        box->setCurrentIndex(index);
        box->setText(box->itemText(index));
        emit box->activated(index);
    }
    platform::DrivePlayer::Mode mode(QChar letter) {
        return cd.device->player(*cd.table->find(QString(letter).toStdString() + ":\\")).mode();
    }
    QVariant mprisGet(const char* name) {
        QDBusMessage get = QDBusMessage::createMethodCall("org.mpris.MediaPlayer2.vornap",
                                                          "/org/mpris/MediaPlayer2",
                                                          "org.freedesktop.DBus.Properties", "Get");
        get << QStringLiteral("org.mpris.MediaPlayer2.Player") << QString::fromLatin1(name);
        const QDBusMessage reply = client.call(get, QDBus::BlockWithGui, 5000);
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }
    QVariant mprisMeta(const char* key) {
        return qdbus_cast<QVariantMap>(mprisGet("Metadata")).value(QString::fromLatin1(key));
    }
    QString mprisTitle() { return mprisMeta("xesam:title").toString(); }
    // A media key or an applet.
    void mprisCall(const char* method) {
        const QDBusMessage reply =
            client.call(QDBusMessage::createMethodCall("org.mpris.MediaPlayer2.vornap",
                                                       "/org/mpris/MediaPlayer2",
                                                       "org.mpris.MediaPlayer2.Player", method),
                        QDBus::BlockWithGui, 5000);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << method;
    }
    QStringList boxes() const {
        QStringList out;
        for (const auto& box : tp.messageBox->boxes)
            out << box.caption + ": " + box.text;
        return out;
    }

    platform::CdDevices cd;
    LocalHttpServer cddb;
    PrivateBus bus;
    std::unique_ptr<MprisService> mpris;
    QDBusConnection client{QStringLiteral("none")};
    frmCD* f = nullptr;
};

using Mode = platform::DrivePlayer::Mode;

} // namespace

// A first start on a machine without a drive: the demo disc plays with its
// titles from the bundled cache. Then FreeDB is made usable the way the
// preferences ask for it: OK refuses without an address, Email (a dialog
// opened from a dialog) once cancelled, once filled in; a skin applied in
// between loads the small dialogs hidden. About and the update check after.
TEST_F(Journey, FirstStartPlaysTheDemoDiscThenFreeDbGetsItsAddress) {
    start();
    EXPECT_EQ(f->lblArtist->text(), di::demoArtist);
    EXPECT_EQ(f->lblAlbum->text(), di::demoAlbum);
    EXPECT_EQ(f->cboCurrentTrack->text(), "1. " + di::demoTitles().value(0));
    EXPECT_EQ(f->cboCDDrive->text(), "D:\\ - " + di::demoArtist + " - " + di::demoAlbum);
    EXPECT_EQ(f->lblTotTracks->text(), QString::number(di::demoTitles().size()));
    EXPECT_EQ(mode('D'), Mode::Playing);
    play(2);
    EXPECT_EQ(f->lblTime->text(), "0:02");
    EXPECT_EQ(mprisGet("PlaybackStatus").toString(), "Playing");
    EXPECT_EQ(mprisTitle(), di::demoTitles().value(0));
    EXPECT_EQ(cddb.requestCount(), 0u) << "the demo disc needs no network";
    EXPECT_EQ(boxes(), QStringList());
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : f, 'p');
    EXPECT_EQ(tp.help->opened, QStringList{path("vornap_help.html")});

    const QString walnut = path("Skins/Walnut");
    installSkin(dir.path(), QStringLiteral("Walnut"));
    const QString server = cddb.address();
    ModalScript script({
        {"Preferences", "&OK"},
        {"Preferences", "Email"},
        {"Email Address", "&Cancel"},
        {"Preferences", "Select &Skin Directory"},
        {"Select Skin Directory", "&Apply Skin",
         [walnut](QWidget* w) { qobject_cast<frmSelectSkinDirectory*>(w)->Dir1->setPath(walnut); }},
        {"Preferences", "Set &Proxy..."},
        {"Set Proxy Server", "&Cancel"},
        {"Preferences", "Email"},
        {"Email Address", "&OK",
         [](QWidget* w) {
             auto* address = w->findChild<QLineEdit*>();
             address->clear();
             QTest::keyClicks(address, "me@example.org");
         }},
        {"Preferences", "&OK",
         [server](QWidget* w) { qobject_cast<frmPref*>(w)->cboCDDBServer->setEditText(server); }},
        {"About Vornap", "&OK"},
        {"Checking for Update...", "&Cancel"},
    });
    f->mnuPref->trigger();
    f->mnuAbout->trigger();
    f->mnuCheckUpdate->trigger();
    EXPECT_EQ(script.missed(), QStringList());
    ASSERT_EQ(tp.messageBox->boxes.size(), 1u);
    EXPECT_EQ(tp.messageBox->boxes[0].caption, "Enter Your Email");
    Application again(tp.platform);
    CheckOptions(again);
    EXPECT_EQ(again.v.sCDDBEmail, "me@example.org");
    EXPECT_EQ(again.v.sCDDBServer, server);
    EXPECT_EQ(again.v.sUseCDDB, "1");
    EXPECT_EQ(again.v.sSkinDir, walnut + '/');
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (const QPointer<QWidget>* form :
         {&app.frmPref, &app.frmEmail, &app.frmSetProxy, &app.frmSelectSkinDirectory, &app.frmAbout,
          &app.frmUpdate})
        EXPECT_TRUE(form->isNull());
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(mode('D'), Mode::Playing) << "the dialogs leave the music alone";
}

// A disc put into an empty drive is looked up and plays; the buttons and the
// track box step through it; taken out while it plays, with Forward pressed
// before the watcher saw it go, it leaves a clean empty player.
TEST_F(Journey, ADiscIsInsertedLookedUpSteppedThroughAndTakenOut) {
    useOwnServer();
    start(QStringLiteral("E"));
    EXPECT_EQ(f->lblTime->text(), "No CD");
    insert('E', {10, 11, 12});
    tick();
    EXPECT_EQ(f->lblArtist->text(), kArtist);
    EXPECT_EQ(f->lblArtist->textFormat(), Qt::PlainText);
    EXPECT_EQ(f->cboCurrentTrack->text(), "1. Dusk");
    EXPECT_EQ(f->cboCurrentTrack->count(), 3);
    EXPECT_EQ(f->lblTotTrackTime->text(), "0:10");
    EXPECT_EQ(mode('E'), Mode::Playing);
    EXPECT_EQ(mprisTitle(), "Dusk");

    press(f->imgForward);
    EXPECT_EQ(f->cboCurrentTrack->text(), "2 - Midnight");
    EXPECT_EQ(f->lblTotTrackTime->text(), "0:11");
    play(2);
    EXPECT_EQ(f->lblTime->text(), "0:02");
    pick(f->cboCurrentTrack, "3.");
    EXPECT_EQ(app.v.iCurrentTrack, 3);
    EXPECT_EQ(mprisTitle(), "Dawn");
    press(f->imgBack);
    EXPECT_EQ(f->cboCurrentTrack->text(), "2 - Midnight");
    EXPECT_EQ(mode('E'), Mode::Playing);
    EXPECT_EQ(mprisGet("PlaybackStatus").toString(), "Playing");

    eject('E');
    press(f->imgForward);
    tick();
    EXPECT_EQ(f->lblTime->text(), "No CD");
    EXPECT_EQ(f->cboCDDrive->text(), "E:\\ - No CD");
    EXPECT_EQ(f->lblArtist->text(), "");
    EXPECT_EQ(f->cboCurrentTrack->count(), 0);
    EXPECT_EQ(mprisGet("PlaybackStatus").toString(), "Stopped");
    press(f->imgPlay);
    EXPECT_EQ(f->lblTime->text(), "No CD");
    EXPECT_EQ(boxes(), QStringList());
}

// With two drives the first run takes the first; choosing the other while a
// disc plays stops the first drive and plays the second one's disc, which
// the media keys then control.
TEST_F(Journey, AnotherDriveChosenWhilePlaying) {
    useOwnServer();
    insert('E', {10, 11, 12});
    insert('F', {5, 5});
    start(QStringLiteral("EF"));
    EXPECT_EQ(app.v.sCDDrive, "E:\\");
    EXPECT_EQ(mode('E'), Mode::Playing);
    play(3);

    pick(f->cboCDDrive, "F:");
    EXPECT_EQ(mode('E'), Mode::Stopped);
    EXPECT_TRUE(f->cboCDDrive->text().startsWith("F:\\ - ")) << f->cboCDDrive->text().toStdString();
    EXPECT_EQ(f->lblTotTracks->text(), "2");
    // Play on start: the disc taken in plays from its first track.
    EXPECT_EQ(mode('F'), Mode::Playing);
    play(1);
    EXPECT_EQ(f->lblTime->text(), "0:01");
    EXPECT_EQ(mode('E'), Mode::Stopped);
    EXPECT_EQ(mprisGet("PlaybackStatus").toString(), "Playing");
    EXPECT_EQ(mprisGet("Position").toLongLong(), 1'000'000);
    EXPECT_EQ(mprisMeta("mpris:length").toLongLong(), 5'000'000);

    // The media keys act on the drive in use.
    const std::vector<std::tuple<const char*, Mode, const char*, int>> keys{
        {"Pause", Mode::Paused, "Paused", 1},     {"PlayPause", Mode::Playing, "Playing", 1},
        {"Next", Mode::Playing, "Playing", 2},    {"Previous", Mode::Playing, "Playing", 1},
        {"PlayPause", Mode::Paused, "Paused", 1}, {"Stop", Mode::Stopped, "Stopped", 1},
        {"Play", Mode::Playing, "Playing", 1}};
    for (const auto& [method, driveMode, status, track] : keys) {
        mprisCall(method);
        EXPECT_EQ(mode('F'), driveMode) << method;
        EXPECT_EQ(mprisGet("PlaybackStatus").toString(), status) << method;
        EXPECT_EQ(app.v.iCurrentTrack, track) << method;
    }
    EXPECT_EQ(mode('E'), Mode::Stopped);
    Application again(tp.platform);
    CheckOptions(again);
    EXPECT_EQ(again.v.sCDDrive, "F:\\") << "the choice lasts";
    EXPECT_EQ(boxes(), QStringList());
}

// Tray mode switched on in the preferences: the icon comes, minimising hides
// the window into it, its menu plays a track, a double click brings the
// window back.
TEST_F(Journey, TrayModeHidesRestoresAndPlaysFromTheMenu) {
    useOwnServer();
    insert('E', {10, 11, 12});
    start(QStringLiteral("E"));
    ModalScript script({{"Preferences", "&OK",
                         [](QWidget* w) { qobject_cast<frmPref*>(w)->chkSysTray->click(); }}});
    f->mnuPref->trigger();
    EXPECT_EQ(script.missed(), QStringList());
    ASSERT_FALSE(tp.tray->calls.empty());
    EXPECT_EQ(tp.tray->calls.back().message, platform::NIM_MODIFY);
    const auto tip = [&] { return QString::fromLatin1(tp.tray->calls.back().data.szTip.data()); };

    tick();
    f->setWindowState(Qt::WindowMinimized);
    EXPECT_FALSE(f->isVisible());
    tp.tray->sendMouseMessage(platform::WM_RBUTTONUP);
    EXPECT_TRUE(f->mnuSysTrayMenu->isVisible());
    f->mnuSysTrayMenu->hide();
    ASSERT_EQ(f->mnuTrackList.size(), 4u);
    f->mnuTrackList[3]->trigger();
    tick();
    EXPECT_EQ(app.v.iCurrentTrack, 3);
    EXPECT_EQ(mode('E'), Mode::Playing);
    EXPECT_EQ(mprisTitle(), "Dawn");
    EXPECT_TRUE(tip().contains("Dawn")) << tip().toStdString();

    tp.tray->sendMouseMessage(platform::WM_LBUTTONDBLCLK);
    EXPECT_TRUE(f->isVisible());
    EXPECT_FALSE(f->isMinimized());
    EXPECT_EQ(f->cboCurrentTrack->text(), "3. - Dawn");
    f->mnuSysTrayExit->trigger();
    EXPECT_EQ(mode('E'), Mode::Stopped) << "the music ends with the player";
    EXPECT_EQ(tp.tray->calls.back().message, platform::NIM_DELETE);
    EXPECT_EQ(boxes(), QStringList());
}
