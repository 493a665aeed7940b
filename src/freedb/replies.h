#pragma once

#include "freedb/xmcd.h"
#include "platform/drives.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <optional>
#include <vector>

namespace vornap {

// A CDDB reply: its status line and the lines of its body up to the lone ".".
struct CddbReply {
    int code = 0;
    QString statusLine;
    QByteArrayList lines;
    bool terminated = false;
};

// Nothing when the text does not start with a CDDB status line.
std::optional<CddbReply> splitCddbReply(const QByteArray& body);

struct CddbMatch {
    QString category;
    QString discId; // eight lower-case hex digits
};

// "categ discid Artist / Title"
std::optional<CddbMatch> parseCddbMatch(const QString& text);

// The matches a "cddb query" reply lists (codes 200, 210 and 211); none for
// any other code.
std::vector<CddbMatch> cddbQueryMatches(const CddbReply& reply);

// The releases of a MusicBrainz disc-ID reply, each as an entry for its
// medium that holds the disc `discId` or else has the disc's number of audio
// tracks (the closest in offsets among several). An entry carries the offsets
// MusicBrainz knows for that medium, none when it knows none. `readable`
// tells whether the reply was JSON at all.
std::vector<XmcdEntry> musicBrainzEntries(const QByteArray& body, const QString& discId,
                                          const platform::DiscToc& toc, bool* readable);

} // namespace vornap
