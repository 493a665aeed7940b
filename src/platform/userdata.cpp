#include "platform/userdata.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>

namespace vornap::platform {

namespace {

Q_LOGGING_CATEGORY(lcUserData, "vornap.userdata")

// A link of ours: made by an earlier start, into some copy's shipped data.
bool isShippedLink(const QFileInfo& at, const QString& shippedSubPath) {
    return at.isSymLink() &&
           at.symLinkTarget().endsWith(QStringLiteral("/vornap/") + shippedSubPath);
}

// Makes `at` a link to `target`, unless the user has put something of their
// own there.
void linkShipped(const QString& target, const QString& at, const QString& shippedSubPath) {
    const QFileInfo info(at);
    if (info.isSymLink()) {
        if (!isShippedLink(info, shippedSubPath) || info.symLinkTarget() == target)
            return;
        QFile::remove(at);
    } else if (info.exists()) {
        return;
    }
    if (!QFile::link(target, at))
        qCWarning(lcUserData) << "cannot link" << at << "to" << target;
}

void linkSkins(const QString& shipped, const QString& user) {
    const QDir from(shipped + QStringLiteral("/Skins"));
    const QString to = user + QStringLiteral("/Skins");
    QDir().mkpath(to);
    const QStringList names = from.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names)
        linkShipped(from.filePath(name), to + u'/' + name, QStringLiteral("Skins/") + name);
    // A skin an earlier copy shipped and this one does not: its link dangles.
    const QDir mine(to);
    for (const QFileInfo& entry : mine.entryInfoList(QDir::AllEntries | QDir::System |
                                                     QDir::NoDotAndDotDot | QDir::Hidden)) {
        if (isShippedLink(entry, QStringLiteral("Skins/") + entry.fileName()) &&
            !QFileInfo::exists(entry.symLinkTarget()))
            QFile::remove(entry.filePath());
    }
}

// Copies the bundled entries the user's cache lacks; never overwrites one.
void copyCache(const QString& shipped, const QString& user) {
    const QDir from(shipped + QStringLiteral("/CDDB"));
    for (const QString& category : from.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QDir source(from.filePath(category));
        const QString folder = user + QStringLiteral("/CDDB/") + category;
        for (const QString& name : source.entryList(QDir::Files)) {
            const QString target = folder + u'/' + name;
            if (QFileInfo::exists(target) || !QDir().mkpath(folder))
                continue;
            if (QFile::copy(source.filePath(name), target))
                QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner |
                                                  QFile::ReadGroup | QFile::ReadOther);
        }
    }
}

} // namespace

bool prepareUserAppPath(const AppPathLayout& layout) {
    if (!layout.installed())
        return true;
    const QString& user = layout.path;
    if (!QDir().mkpath(user)) {
        qCWarning(lcUserData) << "cannot make the application path" << user;
        return false;
    }
    linkSkins(layout.shipped, user);
    for (const char* name : {"Demo", "vornap_help.html"}) {
        const QString n = QString::fromLatin1(name);
        if (QFileInfo::exists(layout.shipped + u'/' + n))
            linkShipped(layout.shipped + u'/' + n, user + u'/' + n, n);
    }
    copyCache(layout.shipped, user);
    return true;
}

bool seedDemoOptions(const QString& appPath) {
    const QString path = appPath + QStringLiteral("/VornapOptions.dat");
    if (QFileInfo::exists(path))
        return true;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write("\"//CD-ROM Drives in Computer\",\"\",\"//CD-ROM Drive to Use\",\"\","
               "\"//Play On Startup\",\"1\",\"//Skin Directory\",\"\",\"//Use CDDB\",\"1\","
               "\"//Activate CDDB on Startup\",\"1\",\"//CDDB Server\",\"gnudb.gnudb.org\","
               "\"//Email Address for CDDB\",\"\",\"//Timer Setting (0=Bwd 1=Fwd)\",\"1\","
               "\"//System Tray Only\",\"0\",\"//IconNum\",\"102\"\r\n");
    return file.commit();
}

} // namespace vornap::platform
