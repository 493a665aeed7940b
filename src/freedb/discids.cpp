#include "freedb/discids.h"

#include <algorithm>
#include <discid/discid.h>
#include <memory>

namespace vornap {

namespace {

// The gap a second session leaves between the last audio track and a data
// track after it (CD-Extra): lead-out, lead-in and pre-gap of the new session.
constexpr int kSessionGapFrames = 11400;

bool lastTrackIsData(const platform::DiscToc& toc) {
    return toc.dataTrack.size() == toc.trackOffsets.size() && toc.trackOffsets.size() > 1 &&
           toc.dataTrack.back();
}

bool valid(const platform::DiscToc& toc) {
    const int count = toc.lastTrack - toc.firstTrack + 1;
    if (toc.firstTrack < 1 || toc.lastTrack > 99 || count < 1 ||
        int(toc.trackOffsets.size()) != count)
        return false;
    int previous = 0;
    for (int offset : toc.trackOffsets) {
        if (offset < previous)
            return false;
        previous = offset;
    }
    return toc.leadOut > previous;
}

using DiscPtr = std::unique_ptr<DiscId, decltype(&discid_free)>;

DiscPtr putDisc(int first, int last, int leadOut, const std::vector<int>& offsets) {
    DiscPtr disc(discid_new(), &discid_free);
    int table[100] = {};
    table[0] = leadOut;
    for (int i = first; i <= last; ++i)
        table[i] = offsets[std::size_t(i - first)];
    if (!disc || !discid_put(disc.get(), first, last, table))
        return DiscPtr(nullptr, &discid_free);
    return disc;
}

} // namespace

std::optional<DiscIds> computeDiscIds(const platform::DiscToc& toc) {
    if (!valid(toc))
        return std::nullopt;
    // The FreeDB identifier counts every track, data tracks included.
    DiscPtr all = putDisc(toc.firstTrack, toc.lastTrack, toc.leadOut, toc.trackOffsets);
    if (!all)
        return std::nullopt;
    DiscIds ids;
    ids.freedb = QString::fromLatin1(discid_get_freedb_id(all.get()));
    const auto forMusicBrainz = [&](DiscId* disc) {
        ids.musicBrainz = QString::fromLatin1(discid_get_id(disc));
        ids.musicBrainzToc = QString::fromLatin1(discid_get_toc_string(disc)).replace(u' ', u'+');
    };
    forMusicBrainz(all.get());
    // MusicBrainz describes a CD-Extra by its audio session alone.
    if (lastTrackIsData(toc)) {
        DiscPtr audio = putDisc(toc.firstTrack, toc.lastTrack - 1,
                                toc.trackOffsets.back() - kSessionGapFrames, toc.trackOffsets);
        if (audio)
            forMusicBrainz(audio.get());
    }
    return ids;
}

int audioTrackCount(const platform::DiscToc& toc) {
    const int all = int(toc.trackOffsets.size());
    return lastTrackIsData(toc) ? all - 1 : all;
}

std::vector<int> tocTrackSeconds(const platform::DiscToc& toc) {
    std::vector<int> seconds;
    const std::size_t n = toc.trackOffsets.size();
    for (std::size_t i = 0; i < n; ++i) {
        int end = i + 1 < n ? toc.trackOffsets[i + 1] : toc.leadOut;
        if (i + 2 == n && lastTrackIsData(toc))
            end -= kSessionGapFrames;
        seconds.push_back(std::max(0, end - toc.trackOffsets[i]) / 75);
    }
    return seconds;
}

} // namespace vornap
