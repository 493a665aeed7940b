#include "freedb/replies.h"

#include "freedb/discids.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <algorithm>
#include <limits>

namespace vornap {

namespace {

bool isDiscId(const QString& id) {
    static const QRegularExpression hex(QStringLiteral("^[0-9a-f]{8}$"));
    return hex.match(id).hasMatch();
}

QString joinArtistCredit(const QJsonArray& credit) {
    QString artist;
    for (const QJsonValue& c : credit)
        artist += c[QLatin1String("name")].toString() + c[QLatin1String("joinphrase")].toString();
    return artist;
}

// How far a medium's offsets are from the disc's audio tracks.
qint64 offsetDistance(const QJsonArray& offsets, const platform::DiscToc& toc) {
    if (offsets.isEmpty())
        return std::numeric_limits<qint64>::max() / 2;
    qint64 distance = 0;
    const qsizetype n = std::min<qsizetype>(offsets.size(), qsizetype(toc.trackOffsets.size()));
    for (qsizetype i = 0; i < n; ++i)
        distance += std::abs(offsets[i].toInt() - toc.trackOffsets[std::size_t(i)]);
    return distance;
}

} // namespace

std::optional<CddbReply> splitCddbReply(const QByteArray& body) {
    QByteArrayList lines = body.split('\n');
    for (QByteArray& line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    while (!lines.isEmpty() && lines.first().trimmed().isEmpty())
        lines.removeFirst();
    if (lines.isEmpty())
        return std::nullopt;
    static const QRegularExpression status(QStringLiteral("^([1-5]\\d\\d)(\\s|$)"));
    CddbReply reply;
    reply.statusLine = decodeCddbText(lines.first()).trimmed();
    const auto m = status.match(reply.statusLine);
    if (!m.hasMatch())
        return std::nullopt;
    reply.code = m.captured(1).toInt();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines[i] == ".") {
            reply.terminated = true;
            break;
        }
        reply.lines << lines[i];
    }
    return reply;
}

std::optional<CddbMatch> parseCddbMatch(const QString& text) {
    const QStringList parts = text.simplified().split(u' ');
    if (parts.size() < 2 || !isDiscId(parts[1].toLower()))
        return std::nullopt;
    return CddbMatch{parts[0], parts[1].toLower()};
}

std::vector<CddbMatch> cddbQueryMatches(const CddbReply& reply) {
    std::vector<CddbMatch> matches;
    switch (reply.code) {
    case 200:
        if (auto m = parseCddbMatch(reply.statusLine.mid(4)))
            matches.push_back(*m);
        break;
    case 210:
    case 211:
        for (const QByteArray& line : reply.lines)
            if (auto m = parseCddbMatch(decodeCddbText(line)))
                matches.push_back(*m);
        break;
    default:
        break;
    }
    return matches;
}

std::vector<XmcdEntry> musicBrainzEntries(const QByteArray& body, const QString& discId,
                                          const platform::DiscToc& toc, bool* readable) {
    std::vector<XmcdEntry> entries;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(body, &error);
    *readable = error.error == QJsonParseError::NoError && doc.isObject();
    if (!*readable)
        return entries;
    const int audioTracks = audioTrackCount(toc);
    for (const QJsonValue& r : doc[QLatin1String("releases")].toArray()) {
        const QJsonObject release = r.toObject();
        // The medium that holds this disc; a release may have several.
        QJsonObject medium;
        QJsonObject disc;
        qint64 best = std::numeric_limits<qint64>::max();
        for (const QJsonValue& m : release[QLatin1String("media")].toArray()) {
            const QJsonArray discs = m[QLatin1String("discs")].toArray();
            for (const QJsonValue& d : discs) {
                if (d[QLatin1String("id")].toString() == discId) {
                    medium = m.toObject();
                    disc = d.toObject();
                    best = -1;
                }
            }
            if (best < 0 || m[QLatin1String("track-count")].toInt() != audioTracks)
                continue;
            if (medium.isEmpty())
                medium = m.toObject();
            for (const QJsonValue& d : discs) {
                const qint64 distance = offsetDistance(d[QLatin1String("offsets")].toArray(), toc);
                if (distance < best) {
                    best = distance;
                    medium = m.toObject();
                    disc = d.toObject();
                }
            }
        }
        if (medium.isEmpty())
            continue;

        XmcdEntry entry;
        entry.title = release[QLatin1String("title")].toString();
        entry.artist = joinArtistCredit(release[QLatin1String("artist-credit")].toArray());
        if (entry.artist.isEmpty())
            entry.artist = entry.title;
        entry.year = release[QLatin1String("date")].toString().left(4);
        for (const QJsonValue& track : medium[QLatin1String("tracks")].toArray()) {
            if (entry.trackTitles.size() == kMaxDiscTracks)
                break;
            QString title = track[QLatin1String("title")].toString();
            if (title.isEmpty())
                title = track[QLatin1String("recording")][QLatin1String("title")].toString();
            entry.trackTitles << title;
        }
        if (entry.trackTitles.isEmpty())
            continue;
        for (const QJsonValue& offset : disc[QLatin1String("offsets")].toArray())
            if (entry.frameOffsets.size() < std::size_t(kMaxDiscTracks))
                entry.frameOffsets.push_back(offset.toInt());
        // No disc has a negative position: such a list is damaged, and the
        // cache could not keep it. The lengths then come from the disc itself.
        if (std::ranges::any_of(entry.frameOffsets, [](int offset) { return offset < 0; }))
            entry.frameOffsets.clear();
        entry.discLengthSeconds = std::max(0, disc[QLatin1String("sectors")].toInt() / 75);
        entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace vornap
