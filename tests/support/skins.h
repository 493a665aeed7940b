#pragma once

#include <QDir>
#include <QFile>
#include <QString>

namespace vornap::test {

// The trees CTest names in every test's environment.
inline QString buildDir() {
    return qEnvironmentVariable("VORNAP_BUILD_DIR");
}
inline QString sourceDir() {
    return qEnvironmentVariable("VORNAP_SOURCE_DIR");
}

// A skin the build drew (Base, Walnut), in the build's program directory.
inline QString builtSkinDir(const QString& name) {
    return buildDir() + QStringLiteral("/bin/Skins/") + name + '/';
}

// Copies every file of a skin directory into another, created if missing.
inline bool copySkin(const QString& from, const QString& to) {
    if (!QDir().mkpath(to))
        return false;
    const QDir source(from);
    for (const QString& file : source.entryList(QDir::Files)) {
        QFile::remove(QDir(to).filePath(file));
        if (!QFile::copy(source.filePath(file), QDir(to).filePath(file)))
            return false;
    }
    return true;
}

// Puts a built skin where a player with this application path looks for it:
// <appPath>/Skins/<name>/.
inline bool installSkin(const QString& appPath, const QString& name = QStringLiteral("Base")) {
    return copySkin(builtSkinDir(name), appPath + QStringLiteral("/Skins/") + name);
}

} // namespace vornap::test
