#include "mpris/mpris.h"

#include "app/frmcd.h"
#include "cd/mcicommands.h"
#include "freedb/freedbcontrol.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace vornap {

namespace {

const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kServiceName = QStringLiteral("org.mpris.MediaPlayer2.vornap");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

// "m:ss" as the window shows a track's length, in seconds; 0 when it is not one.
qlonglong labelSeconds(const QString& text) {
    const int colon = text.indexOf(':');
    if (colon < 1)
        return 0;
    bool okMin = false;
    bool okSec = false;
    const qlonglong minutes = text.left(colon).toLongLong(&okMin);
    const qlonglong seconds = text.mid(colon + 1).toLongLong(&okSec);
    return okMin && okSec ? minutes * 60 + seconds : 0;
}

} // namespace

MprisService::MprisService(Application& app, QDBusConnection bus)
    : app(app), m_bus(std::move(bus)) {
    new MprisRoot(this);
    new MprisPlayer(this);
}

MprisService::~MprisService() {
    if (m_registered) {
        m_bus.unregisterObject(kPath);
        m_bus.unregisterService(m_serviceName);
    }
}

bool MprisService::start() {
    if (!m_bus.isConnected())
        return false;
    if (!m_bus.registerObject(kPath, this))
        return false;
    // A player of another data directory may hold the plain name; a second
    // instance takes a name of its own, as MPRIS recommends.
    m_serviceName = kServiceName;
    if (!m_bus.registerService(m_serviceName)) {
        m_serviceName = kServiceName + QStringLiteral(".instance") +
                        QString::number(QCoreApplication::applicationPid());
        if (!m_bus.registerService(m_serviceName)) {
            m_bus.unregisterObject(kPath);
            return false;
        }
    }
    m_registered = true;
    app.eventObservers.push_back([this] { announceChanges(); });
    announceChanges();
    return true;
}

bool MprisService::discIn() const { return app.v.bCDInDrive; }

bool MprisService::playing() const {
    const auto& v = app.v;
    if (v.bPlaying)
        return true;
    // Play from the Idle state (Back or Forward while paused) plays and runs
    // the clock with every flag down; Back or Forward there stop the drive
    // but not the clock.
    if (v.bPaused || v.bStopped || !app.cd || !app.cd->tmrTime->isActive())
        return false;
    FixedString<30> mode;
    mciSend(app, mcicmd::statusMode(), mode);
    return mode.left(7) == QLatin1String("playing");
}

QString MprisService::playbackStatus() const {
    if (playing())
        return QStringLiteral("Playing");
    if (app.v.bPaused)
        return QStringLiteral("Paused");
    return QStringLiteral("Stopped");
}

qlonglong MprisService::position() const {
    return (qlonglong(app.v.iElapsedMin) * 60 + app.v.iElapsedSec) * 1000000;
}

QVariantMap MprisService::metadata() const {
    const auto& v = app.v;
    QVariantMap map;
    if (!v.bCDInDrive || !app.cd)
        return map;
    const int track = v.iCurrentTrack;
    map.insert(QStringLiteral("mpris:trackid"),
               QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/vornap/track/%1").arg(track))));
    QString title = QStringLiteral("Track %1").arg(track);
    if (v.bCDDBFound && app.cd->uFREEDB1) {
        const QString found = app.cd->uFREEDB1->TrackTitle(Integer(track));
        if (!found.isEmpty())
            title = found;
    }
    map.insert(QStringLiteral("xesam:title"), title);
    const QString artist = app.cd->lblArtist->text();
    if (!artist.isEmpty() && artist != QLatin1String("-"))
        map.insert(QStringLiteral("xesam:artist"), QStringList{artist});
    const QString album = app.cd->lblAlbum->text();
    if (!album.isEmpty() && album != QLatin1String("-"))
        map.insert(QStringLiteral("xesam:album"), album);
    map.insert(QStringLiteral("xesam:trackNumber"), track);
    map.insert(QStringLiteral("mpris:length"),
               labelSeconds(app.cd->lblTotTrackTime->text()) * 1000000);
    return map;
}

MprisService::Inputs MprisService::inputs() const {
    const auto& v = app.v;
    Inputs in;
    in.playing = v.bPlaying;
    in.paused = v.bPaused;
    in.discIn = v.bCDInDrive;
    in.window = app.cd != nullptr;
    in.titles = v.bCDDBFound;
    in.track = v.iCurrentTrack;
    if (in.discIn && in.window) {
        if (v.bCDDBFound && app.cd->uFREEDB1)
            in.title = app.cd->uFREEDB1->TrackTitle(v.iCurrentTrack);
        in.artist = app.cd->lblArtist->text();
        in.album = app.cd->lblAlbum->text();
        in.length = app.cd->lblTotTrackTime->text();
    }
    return in;
}

void MprisService::announceChanges() {
    if (!m_registered)
        return;
    // Called after every event: most change nothing the bus can see.
    Inputs seen = inputs();
    if (seen == m_lastInputs)
        return;
    m_lastInputs = std::move(seen);
    const bool in = discIn();
    const QVariantMap now{
        {QStringLiteral("PlaybackStatus"), playbackStatus()},
        {QStringLiteral("Metadata"), metadata()},
        {QStringLiteral("CanPlay"), in},
        {QStringLiteral("CanPause"), in},
        {QStringLiteral("CanGoNext"), in},
        {QStringLiteral("CanGoPrevious"), in},
        {QStringLiteral("CanControl"), in},
    };
    QVariantMap changed;
    for (auto it = now.begin(); it != now.end(); ++it) {
        if (m_lastPlayer.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    }
    m_lastPlayer = now;
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(
        kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList();
    m_bus.send(signal);
}

MprisRoot::MprisRoot(MprisService* service) : QDBusAbstractAdaptor(service), m_service(service) {}

void MprisRoot::Raise() {
    if (frmCD* form = m_service->app.cd)
        unhandled(m_service->app, [form] { form->mnuShow_Click(); });
}

void MprisRoot::Quit() {
    if (frmCD* form = m_service->app.cd)
        unhandled(m_service->app, [form] { form->close(); });
}

MprisPlayer::MprisPlayer(MprisService* service)
    : QDBusAbstractAdaptor(service), m_service(service) {}

void MprisPlayer::Play() {
    frmCD* form = m_service->app.cd;
    if (form && !m_service->playing())
        unhandled(m_service->app, [form] { form->imgPlay_Click(); });
}

void MprisPlayer::Pause() {
    frmCD* form = m_service->app.cd;
    if (form && m_service->playing())
        unhandled(m_service->app, [form] { form->imgPause_Click(); });
}

void MprisPlayer::PlayPause() {
    if (m_service->playing())
        Pause();
    else
        Play();
}

void MprisPlayer::Stop() {
    if (frmCD* form = m_service->app.cd)
        unhandled(m_service->app, [form] { form->imgStop_Click(); });
}

void MprisPlayer::Next() {
    if (frmCD* form = m_service->app.cd)
        unhandled(m_service->app, [form] { form->imgForward_Click(); });
}

void MprisPlayer::Previous() {
    if (frmCD* form = m_service->app.cd)
        unhandled(m_service->app, [form] { form->imgBack_Click(); });
}

// A CD player that counts time itself cannot seek; these are no-ops, as
// CanSeek says.
void MprisPlayer::Seek(qlonglong) {}
void MprisPlayer::SetPosition(const QDBusObjectPath&, qlonglong) {}
void MprisPlayer::OpenUri(const QString&) {}

} // namespace vornap
