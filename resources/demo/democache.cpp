// Writes the bundled lookup-cache entry of a disc image: the disc's identifier
// and frame offsets from the image, the titles from an xmcd titles file.
//
//   vornap_democache <image.cue or folder holding one> <titles file> <CDDB folder>

#include "freedb/discids.h"
#include "freedb/xmcd.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>
#include <cdio/cdio.h>
#include <cstdio>

using namespace vornap;

namespace {

int fail(const QString& message) {
    std::fprintf(stderr, "vornap_democache: %s\n", qPrintable(message));
    return 1;
}

std::optional<platform::DiscToc> imageToc(const QString& cue) {
    const QByteArray path = QFile::encodeName(cue);
    CdIo_t* cdio = cdio_open(path.constData(), DRIVER_BINCUE);
    if (!cdio)
        return std::nullopt;
    platform::DiscToc toc;
    const track_t first = cdio_get_first_track_num(cdio);
    const track_t count = cdio_get_num_tracks(cdio);
    if (first != CDIO_INVALID_TRACK && count != CDIO_INVALID_TRACK && count > 0) {
        toc.firstTrack = first;
        toc.lastTrack = first + count - 1;
        for (int t = toc.firstTrack; t <= toc.lastTrack; ++t) {
            toc.trackOffsets.push_back(cdio_get_track_lsn(cdio, track_t(t)) + 150);
            toc.dataTrack.push_back(cdio_get_track_format(cdio, track_t(t)) != TRACK_FORMAT_AUDIO);
        }
        toc.leadOut = cdio_get_track_lsn(cdio, CDIO_CDROM_LEADOUT_TRACK) + 150;
    }
    cdio_destroy(cdio);
    if (toc.trackOffsets.empty())
        return std::nullopt;
    return toc;
}

QString findCue(const QString& path) {
    if (!QFileInfo(path).isDir())
        return path;
    const QStringList cues = QDir(path).entryList({QStringLiteral("*.cue")}, QDir::Files);
    return cues.size() == 1 ? QDir(path).filePath(cues.first()) : QString();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4)
        return fail(QStringLiteral("usage: vornap_democache IMAGE.cue|FOLDER TITLES CDDB-FOLDER"));
    const QString cue = findCue(QFile::decodeName(argv[1]));
    if (cue.isEmpty())
        return fail(QStringLiteral("no single .cue image in %1").arg(QFile::decodeName(argv[1])));
    const auto toc = imageToc(cue);
    const auto ids = toc ? computeDiscIds(*toc) : std::nullopt;
    if (!ids)
        return fail(QStringLiteral("cannot read the table of contents of %1").arg(cue));

    QFile titles(QFile::decodeName(argv[2]));
    if (!titles.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1").arg(titles.fileName()));
    auto entry = parseXmcd(titles.readAll());
    if (!entry)
        return fail(QStringLiteral("%1 is not an xmcd entry").arg(titles.fileName()));

    const int tracks = int(toc->trackOffsets.size());
    while (entry->trackTitles.size() < tracks)
        entry->trackTitles << QStringLiteral("Track %1").arg(entry->trackTitles.size() + 1);
    entry->trackTitles = entry->trackTitles.mid(0, tracks);
    entry->frameOffsets = toc->trackOffsets;
    entry->discLengthSeconds = toc->leadOut / 75;

    const QString folder = QFile::decodeName(argv[3]) + QStringLiteral("/misc");
    QSaveFile out(folder + u'/' + ids->freedb);
    if (!QDir().mkpath(folder) || !out.open(QIODevice::WriteOnly) ||
        out.write(writeXmcd(*entry, ids->freedb)) < 0 || !out.commit())
        return fail(QStringLiteral("cannot write %1").arg(out.fileName()));
    std::printf("%s\n", qPrintable(out.fileName()));
    return 0;
}
