#include "platform/process.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <cstdio>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace vornap::platform {

#ifndef VORNAP_SHIPPED_FROM_PROGRAM
#define VORNAP_SHIPPED_FROM_PROGRAM "../share/vornap"
#endif

namespace {

QString absoluteClean(const QString& dir) {
    return QDir::cleanPath(QDir(dir).absolutePath());
}

const QByteArray kShowRequest = QByteArrayLiteral("show\n");

bool hasSkins(const QString& dir) {
    return QFileInfo(dir + QStringLiteral("/Skins")).isDir();
}

} // namespace

AppPathLayout resolveAppPath(const AppPathInputs& in) {
    const QString program = absoluteClean(in.programDir);
    QString shipped;
    if (!in.shippedFromProgram.isEmpty())
        shipped = QDir::cleanPath(program + u'/' + in.shippedFromProgram);
    if (!shipped.isEmpty() && !hasSkins(shipped))
        shipped.clear();
    if (!in.vornapHome.isEmpty()) {
        const QString home = absoluteClean(in.vornapHome);
        // A folder without skins would end the first start at the first skin
        // it loads: it gets the program's own data linked in, as an
        // installed copy's per-user folder does.
        if (hasSkins(home))
            return {home, {}};
        return {home, hasSkins(program) ? program : shipped};
    }
    if (hasSkins(program) || shipped.isEmpty())
        return {program, {}};
    QString dataHome = in.dataHome;
    if (dataHome.isEmpty() || QDir::isRelativePath(dataHome)) {
        if (in.home.isEmpty() || QDir::isRelativePath(in.home))
            return {program, {}}; // nowhere of the user's own to write to
        dataHome = in.home + QStringLiteral("/.local/share");
    }
    return {QDir::cleanPath(dataHome + QStringLiteral("/vornap")), shipped};
}

AppPathInputs currentAppPathInputs() {
    AppPathInputs in;
    in.vornapHome = qEnvironmentVariable("VORNAP_HOME");
    in.programDir = QCoreApplication::applicationDirPath();
    in.dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    in.home = qEnvironmentVariable("HOME");
    if (in.home.isEmpty()) {
        // Without $HOME, the account's home; Qt's own fallback would be "/".
        if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
            in.home = QFile::decodeName(pw->pw_dir);
    }
    in.shippedFromProgram = QStringLiteral(VORNAP_SHIPPED_FROM_PROGRAM);
    return in;
}

FileInstanceLock::FileInstanceLock(const QString& appPath) {
    // Keyed by the data directory, kept out of it: it may be read-only.
    const QByteArray key =
        QCryptographicHash::hash(QDir::cleanPath(appPath).toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    // Qt gives an empty path for a $TMPDIR that does not exist, which would
    // put the lock in whatever directory the player was started from.
    QString folder = QDir::tempPath();
    if (folder.isEmpty())
        folder = qEnvironmentVariable("TMPDIR");
    m_path = QDir(folder).filePath(QStringLiteral("vornap-%1.lock").arg(QString::fromLatin1(key)));
}

FileInstanceLock::~FileInstanceLock() = default;

bool FileInstanceLock::previousInstance() {
    if (m_lock && m_lock->isLocked())
        return false;
    m_failure.clear();
    m_lock = std::make_unique<QLockFile>(m_path);
    m_lock->setStaleLockTime(0); // a lock left by a crashed player is stale at once
    if (m_lock->tryLock(0))
        return false;
    if (m_lock->error() == QLockFile::LockFailedError) {
        // A dead owner's lock is removed and taken over.
        if (m_lock->removeStaleLockFile() && m_lock->tryLock(0))
            return false;
        if (m_lock->error() == QLockFile::LockFailedError)
            return true;
    }
    // Taken for a running player, a lock that cannot be made at all would
    // end every start without a word.
    const QFileInfo folder(QFileInfo(m_path).absolutePath());
    QString reason = QStringLiteral("unknown error");
    if (!folder.exists())
        reason = QStringLiteral("the folder does not exist");
    else if (!folder.isDir())
        reason = QStringLiteral("that is not a folder");
    else if (m_lock->error() == QLockFile::PermissionError || !folder.isWritable())
        reason = QStringLiteral("permission denied");
    m_failure = QStringLiteral("its lock file %1 cannot be created (%2)")
                    .arg(QDir::toNativeSeparators(m_path), reason);
    return false;
}

QString FileInstanceLock::socketPath() const {
    return m_path.chopped(5) + QStringLiteral(".sock");
}

void FileInstanceLock::showRunningInstance() {
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(1000))
        return;
    socket.write(kShowRequest);
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(1000);
}

void FileInstanceLock::onShowRequest(std::function<void()> handler) {
    if (!m_lock || !m_lock->isLocked())
        return;
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // Holding the lock, this player owns the name: a socket left there is a
    // dead player's.
    QLocalServer::removeServer(socketPath());
    if (!m_server->listen(socketPath()))
        return;
    QLocalServer* server = m_server.get();
    QObject::connect(server, &QLocalServer::newConnection, server, [server, handler] {
        while (QLocalSocket* client = server->nextPendingConnection()) {
            QObject::connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            QObject::connect(client, &QLocalSocket::readyRead, client, [client, handler] {
                if (client->readAll().contains(kShowRequest))
                    handler();
            });
        }
    });
}

void RealProcessControl::exitNow(int status) {
    std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace vornap::platform
