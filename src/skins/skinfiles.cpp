#include "skins/skinfiles.h"

#include <QDir>
#include <QFileInfo>

namespace vornap {

QString skinFilePath(const QString& directory, const QString& name) {
    const QString exact = directory + name;
    if (QFileInfo::exists(exact))
        return exact;
    const QDir dir(directory.isEmpty() ? QStringLiteral(".") : directory);
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    }
    return exact;
}

} // namespace vornap
