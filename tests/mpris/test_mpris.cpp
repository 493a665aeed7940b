#include "mpris/mpris.h"
#include "support/apptest.h"
#include "support/dbusdaemon.h"
#include "support/fakefreedb.h"

#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QThread>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;

namespace {

const QString kService = QStringLiteral("org.mpris.MediaPlayer2.vornap");
const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");

// Collects PropertiesChanged of the player interface.
class ChangeLog : public QObject {
    Q_OBJECT
public:
    QList<QVariantMap> changes;
public slots:
    void changed(const QString& interface, const QVariantMap& props, const QStringList&) {
        if (interface == kPlayer)
            changes << props;
    }
};

struct Mpris : ::testing::Test, AppFixture {
    PrivateBus bus;
    std::unique_ptr<MprisService> service;
    QDBusConnection client{QStringLiteral("none")};
    ChangeLog log;
    FakeFreeDb* titles = nullptr;

    void SetUp() override {
        ASSERT_FALSE(bus.address().isEmpty()) << "no dbus-daemon";
        auto f = std::make_unique<FakeFreeDb>();
        titles = f.get();
        freedb = std::move(f);
        form();
        service = std::make_unique<MprisService>(app, bus.connect(QStringLiteral("player")));
        ASSERT_TRUE(service->start());
        client = bus.connect(QStringLiteral("client"));
        ASSERT_TRUE(client.connect(QString(), kPath,
                                   QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"), &log,
                                   SLOT(changed(QString, QVariantMap, QStringList))));
    }
    QVariant property(const QString& interface, const QString& name) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("Get"));
        call << interface << name;
        const QDBusMessage reply = client.call(call, QDBus::BlockWithGui, 5000);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return {};
        return reply.arguments().at(0).value<QDBusVariant>().variant();
    }
    // Lets bus traffic arrive: until the log has `count` entries, or for
    // `ms` when nothing is expected.
    void settle(int count = -1, int ms = 300) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < (count < 0 ? ms : 5000)) {
            if (count >= 0 && log.changes.size() >= count)
                return;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(5);
        }
    }
};

} // namespace

TEST_F(Mpris, PropertiesNameThePlayerAndFollowThePlayState) {
    EXPECT_EQ(property("org.mpris.MediaPlayer2", "Identity").toString(), "Vornap");
    EXPECT_EQ(property("org.mpris.MediaPlayer2", "DesktopEntry").toString(), "vornap");
    EXPECT_TRUE(property("org.mpris.MediaPlayer2", "CanRaise").toBool());
    EXPECT_EQ(property(kPlayer, "PlaybackStatus").toString(), "Stopped");
    EXPECT_FALSE(property(kPlayer, "CanPlay").toBool());
    EXPECT_FALSE(property(kPlayer, "CanSeek").toBool());

    app.v.bCDInDrive = app.v.bPlaying = true;
    app.v.bStopped = false;
    app.v.iElapsedMin = 1;
    app.v.iElapsedSec = 5;
    EXPECT_EQ(property(kPlayer, "PlaybackStatus").toString(), "Playing");
    EXPECT_TRUE(property(kPlayer, "CanGoNext").toBool());
    EXPECT_EQ(property(kPlayer, "Position").toLongLong(), 65'000'000);
    app.v.bPlaying = false;
    app.v.bPaused = true;
    EXPECT_EQ(property(kPlayer, "PlaybackStatus").toString(), "Paused");
    app.v.bPaused = false; // the Idle state
    EXPECT_EQ(property(kPlayer, "PlaybackStatus").toString(), "Stopped");
}

TEST_F(Mpris, MetadataNamesTheTrackByTitleOrNumber) {
    app.v.bCDInDrive = true;
    app.v.iCurrentTrack = 2;
    form().lblTotTrackTime->setText("4:13");
    form().lblArtist->setText("-");
    QVariantMap meta = service->metadata();
    EXPECT_EQ(meta.value("xesam:title").toString(), "Track 2");
    EXPECT_EQ(meta.value("xesam:trackNumber").toInt(), 2);
    EXPECT_EQ(meta.value("mpris:length").toLongLong(), 253'000'000);
    EXPECT_FALSE(meta.contains("xesam:artist"));

    titles->titles = {"One", "Two"};
    app.v.bCDDBFound = true;
    form().lblArtist->setText("The Band");
    form().lblAlbum->setText("The Album");
    meta = service->metadata();
    EXPECT_EQ(meta.value("xesam:title").toString(), "Two");
    EXPECT_EQ(meta.value("xesam:artist").toStringList(), QStringList{"The Band"});
    EXPECT_EQ(meta.value("xesam:album").toString(), "The Album");
}

TEST_F(Mpris, ChangesAreAnnouncedAfterEachHandledEvent) {
    settle();
    log.changes.clear();
    unhandled(app, [&] {
        app.v.bCDInDrive = true;
        app.v.bPlaying = true;
    });
    settle(1);
    ASSERT_FALSE(log.changes.isEmpty());
    EXPECT_EQ(log.changes.last().value("PlaybackStatus").toString(), "Playing");
    EXPECT_TRUE(log.changes.last().value("CanPlay").toBool());

    log.changes.clear();
    unhandled(app, [] {}); // nothing changed: nothing announced
    settle();
    EXPECT_TRUE(log.changes.isEmpty());
}

TEST_F(Mpris, PlayerctlSeesThePlayer) {
    app.v.bCDInDrive = true;
    app.v.bPaused = true;
    QProcess ctl;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DBUS_SESSION_BUS_ADDRESS", bus.address());
    ctl.setProcessEnvironment(env);
    ctl.start("playerctl", {"--player=vornap", "status"});
    ASSERT_TRUE(ctl.waitForStarted(5000)) << "playerctl is not installed";
    // Answer the calls while playerctl waits.
    for (int i = 0; i < 500 && ctl.state() != QProcess::NotRunning; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ctl.waitForFinished(10);
    }
    EXPECT_EQ(QString::fromUtf8(ctl.readAllStandardOutput()).trimmed(), "Paused");
}

TEST(MprisWithoutABus, StartsNothingAndSaysNothing) {
    AppFixture fx;
    fx.form();
    MprisService service(fx.app,
                         QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                       QStringLiteral("nobus")));
    EXPECT_FALSE(service.start());
    EXPECT_TRUE(fx.app.eventObservers.empty());
    QDBusConnection::disconnectFromBus(QStringLiteral("nobus"));
}

#include "test_mpris.moc"

namespace {

struct MprisMethods : Mpris {
    // The device commands a method call made.
    std::vector<std::string> call(const QString& method) {
        tp.mci->commands.clear();
        QDBusMessage m = QDBusMessage::createMethodCall(kService, kPath, kPlayer, method);
        const QDBusMessage reply = client.call(m, QDBus::BlockWithGui, 5000);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << method.toStdString();
        return tp.mci->commands;
    }
};

using Commands = std::vector<std::string>;
const std::string tmsf = "set cd1 time format tmsf";

} // namespace

TEST_F(MprisMethods, TransportMethodsRunThePlayersOwnActions) {
    app.v.bCDInDrive = app.v.bAudioCD = app.v.bStopped = true;
    app.v.iCurrentTrack = 2;
    EXPECT_EQ(call("Play"), (Commands{tmsf, "play cd1 from 2"}));
    EXPECT_TRUE(call("Play").empty()) << "already playing";
    EXPECT_EQ(call("Pause"), Commands{"pause cd1"});
    EXPECT_TRUE(call("Pause").empty()) << "Pause only when playing";
    EXPECT_TRUE(app.v.bPaused);
    EXPECT_EQ(call("PlayPause"), (Commands{tmsf, "resume cd1"}));
    EXPECT_EQ(call("PlayPause"), Commands{"pause cd1"});
    EXPECT_EQ(call("Stop"), (Commands{tmsf, "stop cd1 wait", "seek cd1 to 1"}));
    EXPECT_TRUE(app.v.bStopped);

    // Titles and lengths from a lookup, so stepping needs no device answers.
    titles->titles = {"a", "b", "c", "d", "e"};
    titles->seconds = {60, 61, 62, 63, 64};
    app.v.bCDDBFound = true;
    log.changes.clear();
    call("Next");
    EXPECT_EQ(app.v.iCurrentTrack, 3);
    call("Previous");
    EXPECT_EQ(app.v.iCurrentTrack, 2);
    settle(1);
    ASSERT_FALSE(log.changes.isEmpty());
    EXPECT_TRUE(log.changes.last().contains("Metadata"));
}
