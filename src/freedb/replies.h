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

// A MusicBrainz disc-ID reply as an entry for the disc of `toc`, whose
// MusicBrainz ID is `discId`; the entry carries the TOC's offsets. Nothing
// when the reply names no release for it; `readable` tells whether the reply
// was JSON at all.
std::optional<XmcdEntry> musicBrainzEntry(const QByteArray& body, const QString& discId,
                                          const platform::DiscToc& toc, bool* readable);

} // namespace vornap
