#include "freedb/replies.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

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

std::optional<XmcdEntry> musicBrainzEntry(const QByteArray& body, const QString& discId,
                                          const platform::DiscToc& toc, bool* readable) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(body, &error);
    *readable = error.error == QJsonParseError::NoError && doc.isObject();
    if (!*readable)
        return std::nullopt;
    const QJsonArray releases = doc[QLatin1String("releases")].toArray();
    if (releases.isEmpty())
        return std::nullopt;
    const QJsonObject release = releases.first().toObject();

    // The medium that holds this disc; a release may have several.
    QJsonObject medium;
    for (const QJsonValue& m : release[QLatin1String("media")].toArray()) {
        for (const QJsonValue& disc : m[QLatin1String("discs")].toArray())
            if (disc[QLatin1String("id")].toString() == discId)
                medium = m.toObject();
        if (medium.isEmpty() &&
            m[QLatin1String("track-count")].toInt() == int(toc.trackOffsets.size()))
            medium = m.toObject();
    }
    if (medium.isEmpty())
        return std::nullopt;

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
        return std::nullopt;
    entry.frameOffsets = toc.trackOffsets;
    entry.discLengthSeconds = toc.leadOut / 75;
    return entry;
}

} // namespace vornap
