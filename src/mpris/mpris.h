#pragma once

#include "app/application.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QVariantMap>
#include <optional>

namespace vornap {

// The player on the session bus as org.mpris.MediaPlayer2.vornap (a second
// player, of another data directory, adds .instance<pid>), so desktop applets
// and media keys can drive and follow it.
class MprisService : public QObject {
    Q_OBJECT
public:
    MprisService(Application& app, QDBusConnection bus);
    ~MprisService() override;

    // Registers the service; false (and nothing said) when there is no bus.
    bool start();
    // Compares every property with what was last announced and signals the changes.
    void announceChanges();

    Application& app;

    // What the drive really does: the Idle state plays too after Play.
    bool playing() const;

    QString playbackStatus() const;
    QVariantMap metadata() const;
    qlonglong position() const;
    bool discIn() const;

private:
    // What the properties are made of, cheap to compare after every event.
    struct Inputs {
        bool playing = false, paused = false, discIn = false, window = false, titles = false;
        int track = 0;
        QString title, artist, album, length;
        bool operator==(const Inputs&) const = default;
    };
    Inputs inputs() const;

    QDBusConnection m_bus;
    bool m_registered = false;
    QString m_serviceName;
    QVariantMap m_lastPlayer;
    std::optional<Inputs> m_lastInputs;
};

class MprisRoot : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ canQuit)
    Q_PROPERTY(bool CanRaise READ canRaise)
    Q_PROPERTY(bool HasTrackList READ hasTrackList)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes)
public:
    explicit MprisRoot(MprisService* service);
    bool canQuit() const { return true; }
    bool canRaise() const { return true; }
    bool hasTrackList() const { return false; }
    QString identity() const { return QStringLiteral("Vornap"); }
    QString desktopEntry() const { return QStringLiteral("vornap"); }
    QStringList supportedUriSchemes() const { return {}; }
    QStringList supportedMimeTypes() const { return {}; }

public slots:
    void Raise();
    void Quit();

private:
    MprisService* m_service;
};

class MprisPlayer : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(double Rate READ rate)
    Q_PROPERTY(double MinimumRate READ rate)
    Q_PROPERTY(double MaximumRate READ rate)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(bool CanGoNext READ canControl)
    Q_PROPERTY(bool CanGoPrevious READ canControl)
    Q_PROPERTY(bool CanPlay READ canControl)
    Q_PROPERTY(bool CanPause READ canControl)
    Q_PROPERTY(bool CanSeek READ canSeek)
    Q_PROPERTY(bool CanControl READ canControl)
public:
    explicit MprisPlayer(MprisService* service);
    QString playbackStatus() const { return m_service->playbackStatus(); }
    double rate() const { return 1.0; }
    double volume() const { return 1.0; }
    QVariantMap metadata() const { return m_service->metadata(); }
    qlonglong position() const { return m_service->position(); }
    bool canControl() const { return m_service->discIn(); }
    bool canSeek() const { return false; }

public slots:
    void Play();
    void Pause();
    void PlayPause();
    void Stop();
    void Next();
    void Previous();
    void Seek(qlonglong offset);
    void SetPosition(const QDBusObjectPath& track, qlonglong position);
    void OpenUri(const QString& uri);

signals:
    void Seeked(qlonglong position);

private:
    MprisService* m_service;
};

} // namespace vornap
