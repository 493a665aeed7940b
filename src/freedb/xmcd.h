#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace vornap {

// A CD holds at most 99 tracks; an entry naming more is read up to there.
inline constexpr int kMaxDiscTracks = 99;

// One disc's entry in the xmcd format of CDDB servers and their caches.
struct XmcdEntry {
    QString artist;
    QString title;
    QString year;
    QString genre;
    QStringList trackTitles;       // first track first
    std::vector<int> frameOffsets; // from the "# Track frame offsets:" comment
    int discLengthSeconds = 0;     // from "# Disc length:", 0 when absent

    int trackCount() const;
    // Whole seconds of a track (from 1) from the entry's own offsets; -1 when
    // the entry does not carry them.
    int trackSeconds(int track) const;
};

// CDDB text: UTF-8, with bytes that are not valid UTF-8 read as Latin-1
// (older entries and servers speak ISO-8859-1).
QString decodeCddbText(const QByteArray& bytes);

// Decodes the \n, \t and \\ escapes of an entry's values.
QString unescapeXmcd(const QString& value);
QString escapeXmcd(const QString& value);

// Reads an entry; nullopt when the text is not one (no DTITLE, no track).
std::optional<XmcdEntry> parseXmcd(const QByteArray& text);

// Writes an entry as UTF-8 xmcd text, for the cache.
QByteArray writeXmcd(const XmcdEntry& entry, const QString& discId);

} // namespace vornap
