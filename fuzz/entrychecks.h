#pragma once

#include "freedb/xmcd.h"

#include <cstdlib>

namespace vornap::fuzz {

// What reaches the cache must read back as what was shown: the cache is
// written with writeXmcd and read with parseXmcd.
inline QString cached(const QString& text) {
    QString t = text;
    t.remove(u'\r');
    return QString::fromUtf8(t.toUtf8()); // lone surrogates become U+FFFD
}

// The disc title is left out: "Artist / Title" has no escape for a slash,
// so an artist named "Up / Down" (or one a dropped CR turns into that) reads
// back split at it.
inline void checkEntry(const XmcdEntry& entry) {
    // A CD holds at most 99 tracks; anything more only floods the menus.
    if (entry.trackCount() < 1 || entry.trackCount() > 99)
        std::abort();
    for (int t = 0; t <= entry.trackCount() + 1; ++t)
        if (entry.trackSeconds(t) < -1)
            std::abort();

    const auto back = parseXmcd(writeXmcd(entry, QStringLiteral("0a0b0c02")));
    if (!back || back->frameOffsets != entry.frameOffsets ||
        back->discLengthSeconds != entry.discLengthSeconds ||
        back->trackTitles.size() != entry.trackTitles.size())
        std::abort();
    for (qsizetype i = 0; i < entry.trackTitles.size(); ++i)
        if (back->trackTitles[i] != cached(entry.trackTitles[i]))
            std::abort();
    if (back->year != cached(entry.year) || back->genre != cached(entry.genre))
        std::abort();
}

} // namespace vornap::fuzz
