#pragma once

#include "platform/drives.h"

#include <QString>

namespace vornap {

struct DiscIds {
    QString freedb;      // eight lower-case hex digits
    QString musicBrainz; // 28 characters of MusicBrainz's base64
};

// Both identifiers of a disc; nullopt when the table of contents cannot
// describe a disc (no tracks, offsets out of order).
std::optional<DiscIds> computeDiscIds(const platform::DiscToc& toc);

// Whole seconds of each track from the table of contents, first track first.
std::vector<int> tocTrackSeconds(const platform::DiscToc& toc);

} // namespace vornap
