#include "skins/skinfiles.h"

#include "app/vberror.h"
#include "options/fieldreader.h"
#include "skins/colors.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>

namespace vornap {

namespace {
bool decodes(const QString& path) {
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read();
    return !image.isNull() && image.width() > 0 && image.height() > 0;
}
} // namespace

QString skinFilePath(const QString& directory, const QString& name) {
    const QString exact = directory + name;
    if (QFileInfo::exists(exact))
        return exact;
    // The name is appended as it stands: without a trailing separator on the
    // directory it runs into the directory's own name and matches nothing.
    const QFileInfo wanted(exact);
    const QDir dir = wanted.dir();
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& entry : entries) {
        if (entry.compare(wanted.fileName(), Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    }
    return exact;
}

QPixmap LoadPicture(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        throw errors::fileNotFound();
    if (!info.isFile())
        throw errors::pathFileAccess();
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read();
    if (image.isNull())
        throw errors::invalidPicture();
    return QPixmap::fromImage(image);
}

const QStringList& requiredSkinFiles() {
    static const QStringList names{QStringLiteral("Colors.txt"),     QStringLiteral("Back_up.bmp"),
                                   QStringLiteral("Back_down.bmp"),  QStringLiteral("Fwd_up.bmp"),
                                   QStringLiteral("Fwd_down.bmp"),   QStringLiteral("Play_up.bmp"),
                                   QStringLiteral("Play_down.bmp"),  QStringLiteral("Pause_up.bmp"),
                                   QStringLiteral("Pause_down.bmp"), QStringLiteral("Stop_up.bmp"),
                                   QStringLiteral("Stop_down.bmp")};
    return names;
}

bool hasRequiredSkinFiles(const QString& directory) {
    bool all = true;
    for (const QString& name : requiredSkinFiles()) {
        if (!QFileInfo(skinFilePath(directory, name)).isFile())
            all = false;
    }
    return all;
}

bool isUsableSkin(const QString& directory) {
    if (!hasRequiredSkinFiles(directory))
        return false;
    QStringList bitmaps = requiredSkinFiles().mid(1);
    bitmaps << QStringLiteral("Background.bmp");
    for (const QString& name : bitmaps) {
        const QString path = skinFilePath(directory, name);
        if (!QFileInfo(path).isFile() || !decodes(path))
            return false;
    }
    try {
        const QStringList fields =
            readFields(skinFilePath(directory, QStringLiteral("Colors.txt")), 4);
        SkinColor(fields[1]);
        SkinColor(fields[3]);
    } catch (const RuntimeError&) {
        return false;
    }
    return true;
}

} // namespace vornap
