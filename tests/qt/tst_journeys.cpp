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

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QRegularExpression>
#include <QtTest>

using namespace vornap;
using namespace vornap::test;
namespace di = platform::discimage;
using Mode = platform::DrivePlayer::Mode;

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

// What one journey runs on: an application directory with the demo disc and
// the bundled cache as installed, a local CDDB server, a bus of its own.
struct Desk : JourneyClock, AppFixture {
    Desk() : cddb(cddbServer) {
        QDir().mkpath(path("Demo"));
        for (const char* file : {"Demo.cue", "Demo.bin"})
            QFile::link(buildDir() + "/bin/Demo/" + file, path("Demo/") + file);
        const QDir shipped(buildDir() + "/shipped/CDDB/misc");
        QDir().mkpath(path("CDDB/misc"));
        for (const QString& entry : shipped.entryList(QDir::Files))
            QFile::copy(shipped.filePath(entry), path("CDDB/misc/" + entry));
        platform::seedDemoOptions(dir.path());
    }
    platform::CdDevices cd;
    LocalHttpServer cddb;
    PrivateBus bus;
    std::unique_ptr<MprisService> mpris;
    QDBusConnection client{QStringLiteral("none")};
};

} // namespace

// A new user's player, put together as main() does, over the real drive layer
// (generated disc images, a manual clock), the real lookup and MPRIS. The
// options are those a first start writes: play on start, FreeDB and the
// start-up query on.
class Journeys : public QObject {
    Q_OBJECT

    std::unique_ptr<Desk> desk;
    TestPlatform* tp = nullptr;
    Application* app = nullptr;
    frmCD* f = nullptr;
    QList<QVariantMap> changes; // of the player interface, as applets receive them

    // The address typed into the preferences, as the first journey leaves it.
    void useOwnServer() {
        QByteArray options = readFile(desk->path("VornapOptions.dat"));
        options.replace("gnudb.gnudb.org", desk->cddb.address().toLatin1());
        options.replace("CDDB\",\"\"", "CDDB\",\"me@example.org\"");
        writeFile(desk->path("VornapOptions.dat"), options);
    }
    // Virtual drives whose trays are folders; none: the demo disc in D:.
    void start(const QString& letters = {}) {
        QStringList lines;
        for (QChar letter : letters) {
            QDir().mkpath(tray(letter));
            lines << QString(letter) + ":\\=" + tray(letter);
        }
        if (!lines.isEmpty())
            writeFile(desk->path("VornapDrives.dat"), lines.join('\n').toUtf8());
        // Not owned: the clock outlives the devices.
        const std::shared_ptr<platform::Clock> clock(std::shared_ptr<platform::Clock>(),
                                                     &desk->clock);
        desk->cd = platform::makeCdDevices(
            {desk->dir.path(), false, true, clock,
             std::make_shared<platform::audio::NullAudioOutput>(desk->clock)});
        desk->cd.installInto(tp->platform);
        tp->mci = nullptr; // the recording device is gone
        LookupSettings lookup;
        lookup.musicBrainzUrl = desk->cddb.base();
        desk->freedb = std::make_unique<FreeDbLookup>(*tp->platform.discToc, *tp->platform.registry,
                                                      desk->dir.path(), lookup);
        RegisterAboutForm(*app);
        RegisterEmailForm(*app);
        RegisterProxyForm(*app);
        registerPreferencesDialog(*app);
        RegisterSkinChooserForm(*app);
        f = &desk->load();
        QVERIFY2(!desk->bus.address().isEmpty(), "no dbus-daemon");
        desk->mpris =
            std::make_unique<MprisService>(*app, desk->bus.connect(QStringLiteral("player")));
        QVERIFY(desk->mpris->start());
        desk->client = desk->bus.connect(QStringLiteral("client"));
        f->show();
        tick();
    }
    QString tray(QChar letter) const { return desk->path(QStringLiteral("tray") + letter); }
    void insert(QChar letter, std::vector<int> seconds) {
        di::DiscSpec spec;
        for (int s : seconds)
            spec.tracks.push_back(di::TrackSpec::audio(di::seconds(s)));
        QDir().mkpath(tray(letter));
        QVERIFY(di::writeBinCue(spec, tray(letter) + "/disc.cue"));
    }
    void eject(QChar letter) {
        for (const QString& name : QDir(tray(letter)).entryList(QDir::Files))
            QFile::remove(tray(letter) + '/' + name);
    }
    void tick() { f->tmrCDCheck_Timer(); }
    // Seconds of wall time, the watcher looking after each.
    void play(int seconds) {
        for (int i = 0; i < seconds; ++i) {
            desk->clock.advanceMs(1000);
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
        QVERIFY2(index >= 0, qPrintable(start));
        box->setCurrentIndex(index);
        box->setText(box->itemText(index));
        emit box->activated(index);
    }
    Mode mode(QChar letter) {
        return desk->cd.device->player(*desk->cd.table->find(QString(letter).toStdString() + ":\\"))
            .mode();
    }
    // A call an applet or a media key makes.
    QDBusMessage mprisCall(const char* interface, const char* method,
                           const QVariantList& args = {}) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            "org.mpris.MediaPlayer2.vornap", "/org/mpris/MediaPlayer2", interface, method);
        call.setArguments(args);
        return desk->client.call(call, QDBus::BlockWithGui, 5000);
    }
    QVariant mprisGet(const char* name) {
        const QVariantList args{QStringLiteral("org.mpris.MediaPlayer2.Player"), QString(name)};
        const QDBusMessage reply = mprisCall("org.freedesktop.DBus.Properties", "Get", args);
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }
    QVariant mprisMeta(const char* key) {
        return qdbus_cast<QVariantMap>(mprisGet("Metadata")).value(QString::fromLatin1(key));
    }
    QString status() { return mprisGet("PlaybackStatus").toString(); }
    // What the window and an applet show: the time, the track box, the track's
    // length, the applet's status and title, the drive box, the artist.
    QString seen() {
        return QStringLiteral("%1|%2|%3|%4|%5|%6|%7")
            .arg(f->lblTime->text(), f->cboCurrentTrack->text(), f->lblTotTrackTime->text(),
                 status(), mprisMeta("xesam:title").toString(), f->cboCDDrive->text(),
                 f->lblArtist->text());
    }
    QStringList boxes() const {
        QStringList out;
        for (const auto& box : tp->messageBox->boxes)
            out << box.caption + ": " + box.text;
        return out;
    }

public slots:
    void changed(const QString& interface, const QVariantMap& props, const QStringList&) {
        if (interface == QLatin1String("org.mpris.MediaPlayer2.Player"))
            changes << props;
    }

private slots:
    void init() {
        desk = std::make_unique<Desk>();
        tp = &desk->tp;
        app = &desk->app;
    }
    void cleanup() { desk.reset(); }

    // A first start on a machine without a drive: the demo disc plays with its
    // titles from the bundled cache. Then FreeDB is made usable the way the
    // preferences ask for it: OK refuses without an address, Email (a dialog
    // opened from a dialog) once cancelled, once filled in; a skin applied in
    // between loads the small dialogs hidden. About and the update check after.
    void firstStartPlaysTheDemoDiscThenFreeDbGetsItsAddress() {
        start();
        play(2);
        const QString title = di::demoTitles().value(0);
        QCOMPARE(seen().replace(QRegularExpression("\\|0:[0-5][0-9]\\|"), "|length|"),
                 "0:02|1. " + title + "|length|Playing|" + title + "|D:\\ - " + di::demoArtist +
                     " - " + di::demoAlbum + '|' + di::demoArtist);
        QCOMPARE(mode('D'), Mode::Playing);
        QVERIFY2(desk->cddb.requestCount() == 0, "the demo disc needs no network");
        // Closed with a key, the help must not take the "p" on its way up for another.
        tp->help->whileOpen = [] {
            QWidget box;
            QTest::keyClick(&box, Qt::Key_Escape);
        };
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : f, 'p');
        QCOMPARE(tp->help->opened, QStringList{desk->path("vornap_help.html")});

        const QString walnut = desk->path("Skins/Walnut");
        installSkin(desk->dir.path(), QStringLiteral("Walnut"));
        const QString server = desk->cddb.address();
        ModalScript script({
            {"Preferences", "&OK"},
            {"Preferences", "Email"},
            {"Email Address", "&Cancel"},
            {"Preferences", "Select &Skin Directory"},
            {"Select Skin Directory", "&Apply Skin",
             [walnut](QWidget* w) {
                 qobject_cast<frmSelectSkinDirectory*>(w)->Dir1->setPath(walnut);
             }},
            {"Preferences", "Set &Proxy..."},
            {"Set Proxy Server", "&OK"},
            {"Preferences", "Set &Proxy..."},
            {"Set Proxy Server", "&Cancel"},
            {"Preferences", "Email"},
            {"Email Address", "&OK",
             [](QWidget* w) { QTest::keyClicks(w->findChild<QLineEdit*>(), "me@example.org"); }},
            {"Preferences", "&OK",
             [server](QWidget* w) {
                 qobject_cast<frmPref*>(w)->cboCDDBServer->setEditText(server);
             }},
            {"About Vornap", "&OK"},
            {"Checking for Update...", "&Cancel"},
        });
        f->mnuPref->trigger();
        f->mnuAbout->trigger();
        f->mnuCheckUpdate->trigger();
        QCOMPARE(script.missed(), QStringList());
        QCOMPARE(boxes().size(), 1);
        QVERIFY(boxes()[0].startsWith("Enter Your Email: "));
        Application again(tp->platform);
        CheckOptions(again);
        const QStringList saved{again.v.sCDDBEmail, again.v.sCDDBServer, again.v.sUseCDDB,
                                again.v.sSkinDir};
        QCOMPARE(saved, (QStringList{"me@example.org", server, "1", walnut + '/'}));
        QVERIFY(StoredProxy(*tp->platform.registry).address.isEmpty());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (const QPointer<QWidget>* form :
             {&app->frmPref, &app->frmEmail, &app->frmSetProxy, &app->frmSelectSkinDirectory,
              &app->frmAbout, &app->frmUpdate})
            QVERIFY(form->isNull());
        QVERIFY(f->isVisible());
        QVERIFY2(mode('D') == Mode::Playing, "the dialogs leave the music alone");
    }

    // A disc put into an empty drive is looked up and plays; the buttons and
    // the track box step through it; taken out while it plays, with Forward
    // pressed before the watcher saw it go, it leaves a clean empty player.
    void aDiscIsInsertedLookedUpSteppedThroughAndTakenOut() {
        useOwnServer();
        start(QStringLiteral("E"));
        QCOMPARE(f->lblTime->text(), "No CD");
        insert('E', {10, 11, 12});
        tick();
        const QString disc = "|E:\\ - " + kArtist + " - Late Hours|" + kArtist;
        QCOMPARE(seen(), "0:00|1. Dusk|0:10|Playing|Dusk" + disc);
        QCOMPARE(f->lblArtist->textFormat(), Qt::PlainText);
        QCOMPARE(f->cboCurrentTrack->count(), 3);
        QCOMPARE(mode('E'), Mode::Playing);

        press(f->imgForward);
        play(2);
        QCOMPARE(seen(), "0:02|2 - Midnight|0:11|Playing|Midnight" + disc);
        pick(f->cboCurrentTrack, "3.");
        play(1);
        QCOMPARE(seen(), "0:01|3. Dawn|0:12|Playing|Dawn" + disc);
        press(f->imgBack);
        play(1);
        QCOMPARE(seen(), "0:01|2 - Midnight|0:11|Playing|Midnight" + disc);
        QCOMPARE(mode('E'), Mode::Playing);

        eject('E');
        press(f->imgForward);
        tick();
        QCOMPARE(seen(), "No CD|||Stopped||E:\\ - No CD|");
        QCOMPARE(f->cboCurrentTrack->count(), 0);
        QCOMPARE(f->ProgressBar->Value(), 0);
        press(f->imgPlay);
        QCOMPARE(f->lblTime->text(), "No CD");
        QVERIFY2(tp->tray->calls.empty(), "no tray icon out of tray mode");
        QCOMPARE(boxes(), QStringList());
    }

    // With two drives the first run takes the first; choosing the other while
    // a disc plays stops the first drive and plays the second one's disc, which
    // the media keys then control; applets hear of each change.
    void anotherDriveChosenWhilePlaying() {
        useOwnServer();
        insert('E', {10, 11, 12});
        insert('F', {5, 5});
        start(QStringLiteral("EF"));
        QCOMPARE(app->v.sCDDrive, "E:\\");
        QCOMPARE(mode('E'), Mode::Playing);
        press(f->imgForward); // the new disc must not show this track's title or length
        play(3);

        pick(f->cboCDDrive, "F:");
        QCOMPARE(mode('E'), Mode::Stopped);
        // Play on start: the disc taken in plays from its first track.
        QCOMPARE(mode('F'), Mode::Playing);
        play(1);
        QCOMPARE(seen(),
                 "0:01|1. Dusk|0:05|Playing|Dusk|F:\\ - " + kArtist + " - Late Hours|" + kArtist);
        QCOMPARE(mprisGet("Position").toLongLong(), 1'000'000);
        QCOMPARE(mprisMeta("mpris:length").toLongLong(), 5'000'000);

        QVERIFY(desk->bus.connect(QStringLiteral("listener"))
                    .connect(QString(), "/org/mpris/MediaPlayer2",
                             "org.freedesktop.DBus.Properties", "PropertiesChanged", this,
                             SLOT(changed(QString, QVariantMap, QStringList))));
        // The media keys act on the drive in use; a key that changes nothing
        // announces nothing.
        const std::vector<std::tuple<const char*, Mode, QString, int>> keys{
            {"Pause", Mode::Paused, "Paused", 1},     {"PlayPause", Mode::Playing, "Playing", 1},
            {"Next", Mode::Playing, "Playing", 2},    {"Previous", Mode::Playing, "Playing", 1},
            {"PlayPause", Mode::Paused, "Paused", 1}, {"Stop", Mode::Stopped, "Stopped", 1},
            {"Play", Mode::Playing, "Playing", 1},    {"Play", Mode::Playing, "Playing", 1}};
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const auto& [method, driveMode, shown, track] = keys[i];
            changes.clear();
            QCOMPARE(mprisCall("org.mpris.MediaPlayer2.Player", method).type(),
                     QDBusMessage::ReplyMessage);
            QCOMPARE(mode('F'), driveMode);
            QCOMPARE(status(), shown);
            QCOMPARE(app->v.iCurrentTrack, track);
            if (i + 1 == keys.size()) {
                QTest::qWait(300);
                QVERIFY(changes.isEmpty());
            } else {
                QTRY_VERIFY(!changes.isEmpty());
                const QString was = i ? std::get<2>(keys[i - 1]) : QStringLiteral("Playing");
                QCOMPARE(changes.last().value("PlaybackStatus").toString(),
                         shown == was ? QString() : shown);
            }
        }
        QCOMPARE(mode('E'), Mode::Stopped);

        Application again(tp->platform);
        CheckOptions(again);
        QVERIFY2(again.v.sCDDrive == "F:\\", "the choice lasts");
        QCOMPARE(boxes(), QStringList());
    }

    // Tray mode switched on in the preferences: the icon comes, minimising
    // hides the window into it, its menu plays a track, a double click brings
    // the window back.
    void trayModeHidesRestoresAndPlaysFromTheMenu() {
        useOwnServer();
        insert('E', {10, 11, 12});
        start(QStringLiteral("E"));
        ModalScript script({{"Preferences", "&OK",
                             [](QWidget* w) { qobject_cast<frmPref*>(w)->chkSysTray->click(); }}});
        f->mnuPref->trigger();
        QCOMPARE(script.missed(), QStringList());
        QVERIFY(!tp->tray->calls.empty());
        QCOMPARE(tp->tray->calls.back().message, platform::NIM_MODIFY);

        tick();
        // The window manager minimises a dialog with its group; the double click brings all back.
        const auto minimiseAll = [this](QWidget* email) {
            for (QWidget* w : {email, app->frmPref.data(), (QWidget*)f})
                w->setWindowState(Qt::WindowMinimized);
            tp->tray->sendMouseMessage(platform::WM_LBUTTONDBLCLK);
            QVERIFY(!email->isMinimized() && !app->frmPref->isMinimized());
        };
        ModalScript group({{"Preferences", "Email"},
                           {"Email Address", "&Cancel", minimiseAll},
                           {"Preferences", "&Cancel"}});
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        f->mnuPref->trigger();
        QCOMPARE(group.missed(), QStringList());
        f->setWindowState(Qt::WindowMinimized);
        QVERIFY(!f->isVisible());
        tp->tray->sendMouseMessage(platform::WM_RBUTTONUP);
        QVERIFY(f->mnuSysTrayMenu->isVisible());
        f->mnuSysTrayMenu->hide();
        QCOMPARE(f->mnuTrackList.size(), 4u);
        f->mnuTrackList[3]->trigger();
        tick();
        QCOMPARE(mode('E'), Mode::Playing);
        QCOMPARE(mprisMeta("xesam:title").toString(), "Dawn");
        const QString tip = QString::fromLatin1(tp->tray->calls.back().data.szTip.data(), 64);
        QVERIFY2(tip.contains("Dawn"), qPrintable(tip));

        tp->tray->sendMouseMessage(platform::WM_LBUTTONDBLCLK);
        QVERIFY(f->isVisible() && !f->isMinimized());
        QCOMPARE(f->cboCurrentTrack->text(), "3. - Dawn");
        f->mnuSysTrayExit->trigger();
        QVERIFY2(mode('E') == Mode::Stopped, "the music ends with the player");
        QCOMPARE(tp->tray->calls.back().message, platform::NIM_DELETE);
        QCOMPARE(boxes(), QStringList());
    }
};

QTEST_MAIN(Journeys)
#include "tst_journeys.moc"
