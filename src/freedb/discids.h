#pragma once

#include "platform/drives.h"

#include <QString>

namespace vornap {

struct DiscIds {
    QString freedb;      // eight lower-case hex digits
    QString musicBrainz; // 28 characters of MusicBrainz's base64
    // The audio session's TOC as MusicBrainz takes it in "toc=": first and
    // last track, lead-out and each track's offset, joined by "+".
    QString musicBrainzToc;
};

// Both identifiers of a disc; nullopt when the table of contents cannot
// describe a disc (no tracks, offsets out of order).
std::optional<DiscIds> computeDiscIds(const platform::DiscToc& toc);

// The tracks before a data session that follows the audio (CD-Extra); all
// tracks on any other disc.
int audioTrackCount(const platform::DiscToc& toc);

// Whole seconds of each track from the table of contents, first track first.
std::vector<int> tocTrackSeconds(const platform::DiscToc& toc);

} // namespace vornap
