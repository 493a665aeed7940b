#include "freedb/xmcd.h"

#include <QRegularExpression>
#include <map>
#include <optional>

namespace vornap {

namespace {

// Length of the valid UTF-8 sequence at i, or 0.
int utf8SequenceLength(const QByteArray& b, qsizetype i) {
    const auto byte = [&](qsizetype k) { return static_cast<unsigned char>(b[k]); };
    const unsigned char c = byte(i);
    int length = 0;
    char32_t min = 0;
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
        min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + length > b.size())
        return 0;
    char32_t code = c & (0x3F >> (length - 1));
    for (int k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

QString decodeCddbText(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        const int length = utf8SequenceLength(bytes, i);
        if (length == 0) {
            text += QChar(static_cast<unsigned char>(bytes[i]));
            ++i;
        } else {
            text += QString::fromUtf8(bytes.constData() + i, length);
            i += length;
        }
    }
    return text;
}

QString unescapeXmcd(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'\\' && i + 1 < value.size()) {
            const QChar next = value[i + 1];
            if (next == u'n') {
                out += u'\n';
                ++i;
                continue;
            }
            if (next == u't') {
                out += u'\t';
                ++i;
                continue;
            }
            if (next == u'\\') {
                out += u'\\';
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

QString escapeXmcd(const QString& value) {
    QString out = value;
    out.replace(u'\\', QStringLiteral("\\\\"));
    out.replace(u'\n', QStringLiteral("\\n"));
    out.replace(u'\t', QStringLiteral("\\t"));
    out.remove(u'\r');
    return out;
}

int XmcdEntry::trackCount() const {
    return std::max<int>(int(trackTitles.size()), int(frameOffsets.size()));
}

int XmcdEntry::trackSeconds(int track) const {
    const int n = int(frameOffsets.size());
    if (track < 1 || track > n || discLengthSeconds <= 0)
        return -1;
    const qint64 end =
        track < n ? frameOffsets[std::size_t(track)] : qint64(discLengthSeconds) * 75;
    const qint64 seconds = (end - frameOffsets[std::size_t(track - 1)]) / 75;
    return int(std::clamp<qint64>(seconds, 0, 0x7fffffff));
}

std::optional<XmcdEntry> parseXmcd(const QByteArray& raw) {
    static const QRegularExpression lengthComment(QStringLiteral("^#\\s*Disc length:\\s*(\\d+)"),
                                                  QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression offsetLine(QStringLiteral("^#\\s*(\\d+)\\s*$"));
    static const QRegularExpression titleKey(QStringLiteral("^TTITLE(\\d{1,2})$"));

    XmcdEntry entry;
    // Repeated keywords are joined as bytes and decoded once: a server may
    // break a line inside a UTF-8 character.
    std::map<QString, QByteArray> values;
    std::map<int, QByteArray> titles;
    bool inOffsets = false;
    bool sawDiscTitle = false;

    for (QByteArray line : raw.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith('#')) {
            const QString comment = QString::fromLatin1(line);
            if (comment.contains(QLatin1String("Track frame offsets"), Qt::CaseInsensitive)) {
                inOffsets = true;
                continue;
            }
            if (inOffsets) {
                const auto m = offsetLine.match(comment);
                if (m.hasMatch()) {
                    if (entry.frameOffsets.size() < std::size_t(kMaxDiscTracks))
                        entry.frameOffsets.push_back(m.captured(1).toInt());
                    continue;
                }
                if (comment.trimmed() == QLatin1String("#"))
                    continue;
                inOffsets = false;
            }
            const auto m = lengthComment.match(comment);
            if (m.hasMatch())
                entry.discLengthSeconds = m.captured(1).toInt();
            continue;
        }
        inOffsets = false;
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0)
            continue;
        const QString key = QString::fromLatin1(line.left(eq)).trimmed().toUpper();
        const QByteArray value = line.mid(eq + 1);
        const auto t = titleKey.match(key);
        if (t.hasMatch()) {
            if (t.captured(1).toInt() < kMaxDiscTracks)
                titles[t.captured(1).toInt()] += value;
        } else {
            values[key] += value;
        }
        if (key == QLatin1String("DTITLE"))
            sawDiscTitle = true;
    }
    if (!sawDiscTitle && titles.empty())
        return std::nullopt;

    const auto text = [](const QByteArray& bytes) { return unescapeXmcd(decodeCddbText(bytes)); };
    const QString discTitle = text(values[QStringLiteral("DTITLE")]);
    const qsizetype separator = discTitle.indexOf(QLatin1String(" / "));
    if (separator < 0) {
        entry.artist = discTitle.trimmed();
        entry.title = entry.artist;
    } else {
        entry.artist = discTitle.left(separator).trimmed();
        entry.title = discTitle.mid(separator + 3).trimmed();
    }
    entry.year = text(values[QStringLiteral("DYEAR")]);
    entry.genre = text(values[QStringLiteral("DGENRE")]);
    const int count = titles.empty() ? 0 : titles.rbegin()->first + 1;
    for (int i = 0; i < count; ++i) {
        const auto it = titles.find(i);
        entry.trackTitles << (it == titles.end() ? QString() : text(it->second));
    }
    if (entry.trackCount() == 0)
        return std::nullopt;
    return entry;
}

QByteArray writeXmcd(const XmcdEntry& entry, const QString& discId) {
    QString out = QStringLiteral("# xmcd\n#\n# Track frame offsets:\n");
    for (int offset : entry.frameOffsets)
        out += QStringLiteral("#\t%1\n").arg(offset);
    out += QStringLiteral("#\n# Disc length: %1 seconds\n#\n").arg(entry.discLengthSeconds);
    out += QStringLiteral("DISCID=%1\n").arg(discId);
    const QString discTitle = entry.artist == entry.title
                                  ? entry.title
                                  : entry.artist + QStringLiteral(" / ") + entry.title;
    out += QStringLiteral("DTITLE=%1\n").arg(escapeXmcd(discTitle));
    out += QStringLiteral("DYEAR=%1\nDGENRE=%2\n")
               .arg(escapeXmcd(entry.year), escapeXmcd(entry.genre));
    for (int i = 0; i < entry.trackTitles.size(); ++i)
        out += QStringLiteral("TTITLE%1=%2\n").arg(i).arg(escapeXmcd(entry.trackTitles[i]));
    out += QStringLiteral("EXTD=\n");
    for (int i = 0; i < entry.trackTitles.size(); ++i)
        out += QStringLiteral("EXTT%1=\n").arg(i);
    out += QStringLiteral("PLAYORDER=\n");
    return out.toUtf8();
}

} // namespace vornap
