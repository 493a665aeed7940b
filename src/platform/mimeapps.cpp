#include "platform/mimeapps.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>

namespace vornap::platform {

namespace {

const QString kMime = QStringLiteral("x-content/audio-cdda");
const QString kSection = QStringLiteral("[Default Applications]");

QString mimeappsPath() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("mimeapps.list"));
}

QStringList readLines() {
    QFile file(mimeappsPath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readAll()).split('\n');
}

// Index of the handler line inside the default-applications section, and the
// section's header line; -1 when absent.
void locate(const QStringList& lines, int& header, int& entry) {
    header = entry = -1;
    bool inSection = false;
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.startsWith('[')) {
            inSection = line == kSection;
            if (inSection)
                header = i;
        } else if (inSection && line.section('=', 0, 0).trimmed() == kMime) {
            entry = i;
        }
    }
}

} // namespace

QString audioCdHandler() {
    const QStringList lines = readLines();
    int header = -1;
    int entry = -1;
    locate(lines, header, entry);
    if (entry < 0)
        return {};
    // Several handlers may be listed; the first one is the default.
    return lines[entry].section('=', 1).section(';', 0, 0).trimmed();
}

bool setAudioCdHandler(const QString& desktopId) {
    QStringList lines = readLines();
    while (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    int header = -1;
    int entry = -1;
    locate(lines, header, entry);
    const QString line = kMime + '=' + desktopId + ';';
    if (desktopId.isEmpty()) {
        if (entry >= 0)
            lines.removeAt(entry);
    } else if (entry >= 0) {
        lines[entry] = line;
    } else if (header >= 0) {
        lines.insert(header + 1, line);
    } else {
        lines << kSection << line;
    }
    QDir().mkpath(QFileInfo(mimeappsPath()).absolutePath());
    QSaveFile file(mimeappsPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    file.write((lines.join('\n') + '\n').toUtf8());
    return file.commit();
}

} // namespace vornap::platform
