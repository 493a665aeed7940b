#include "platform/process.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
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

bool hasSkins(const QString& dir) {
    return QFileInfo(dir + QStringLiteral("/Skins")).isDir();
}

} // namespace

AppPathLayout resolveAppPath(const AppPathInputs& in) {
    if (!in.vornapHome.isEmpty())
        return {absoluteClean(in.vornapHome), {}};
    const QString program = absoluteClean(in.programDir);
    if (hasSkins(program) || in.shippedFromProgram.isEmpty())
        return {program, {}};
    const QString shipped = QDir::cleanPath(program + u'/' + in.shippedFromProgram);
    if (!hasSkins(shipped))
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
