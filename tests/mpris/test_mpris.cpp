#include "mpris/mpris.h"
#include "support/apptest.h"
#include "support/dbusdaemon.h"

#include <QDBusMessage>
#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;

namespace {

// Collects PropertiesChanged of the player interface.
class ChangeLog : public QObject {
    Q_OBJECT
public:
    QList<QVariantMap> changes;
public slots:
    void changed(const QString& interface, const QVariantMap& props, const QStringList&) {
        if (interface == QLatin1String("org.mpris.MediaPlayer2.Player"))
            changes << props;
    }
};

struct Mpris : ::testing::Test, AppFixture {
    PrivateBus bus;
    std::unique_ptr<MprisService> service;
    ChangeLog log;

    void SetUp() override {
        ASSERT_FALSE(bus.address().isEmpty()) << "no dbus-daemon";
        form();
        service = std::make_unique<MprisService>(app, bus.connect(QStringLiteral("player")));
        ASSERT_TRUE(service->start());
        ASSERT_TRUE(bus.connect(QStringLiteral("client"))
                        .connect(QString(), "/org/mpris/MediaPlayer2",
                                 "org.freedesktop.DBus.Properties", "PropertiesChanged", &log,
                                 SLOT(changed(QString, QVariantMap, QStringList))));
    }
    // Lets bus traffic arrive for a while, or until something came.
    void settle(bool untilChange) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < (untilChange ? 5000 : 300) && !(untilChange && !log.changes.isEmpty()))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
};

} // namespace

// Applets learn of a change after the event that made it, and only then.
TEST_F(Mpris, ChangesAreAnnouncedAfterEachHandledEvent) {
    settle(false);
    log.changes.clear();
    unhandled(app, [&] {
        app.v.bCDInDrive = true;
        app.v.bPlaying = true;
    });
    settle(true);
    ASSERT_FALSE(log.changes.isEmpty());
    EXPECT_EQ(log.changes.last().value("PlaybackStatus").toString(), "Playing");
    EXPECT_TRUE(log.changes.last().value("CanPlay").toBool());
    log.changes.clear();
    unhandled(app, [] {});
    settle(false);
    EXPECT_TRUE(log.changes.isEmpty()) << "nothing changed: nothing announced";
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
