#include "platform/process.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QLockFile>
#include <cstdio>
#include <cstdlib>

namespace vornap::platform {

QString DefaultAppPath::path() const {
    const QString home = qEnvironmentVariable("VORNAP_HOME");
    const QString dir = home.isEmpty() ? QCoreApplication::applicationDirPath() : home;
    return QDir::cleanPath(QDir(dir).absolutePath());
}

FileInstanceLock::FileInstanceLock(const QString& appPath) {
    // Keyed by the data directory, kept out of it: it may be read-only.
    const QByteArray key = QCryptographicHash::hash(QDir::cleanPath(appPath).toUtf8(),
                                                    QCryptographicHash::Sha1)
                               .toHex()
                               .left(16);
    m_path = QDir::temp().filePath(QStringLiteral("vornap-%1.lock").arg(QString::fromLatin1(key)));
}

FileInstanceLock::~FileInstanceLock() = default;

bool FileInstanceLock::previousInstance() {
    if (m_lock && m_lock->isLocked())
        return false;
    m_lock = std::make_unique<QLockFile>(m_path);
    m_lock->setStaleLockTime(0); // a lock left by a crashed player is stale at once
    if (m_lock->tryLock(0))
        return false;
    // A dead owner's lock is removed and taken over.
    if (m_lock->error() == QLockFile::LockFailedError && m_lock->removeStaleLockFile() &&
        m_lock->tryLock(0))
        return false;
    return true;
}

void RealProcessControl::exitNow(int status) {
    std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace vornap::platform
