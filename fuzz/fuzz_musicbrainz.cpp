// A MusicBrainz disc-ID reply mapped to entries for a three-track disc.
#include "entrychecks.h"
#include "freedb/replies.h"
#include "fuzzsupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vornap;
    static const platform::DiscToc toc = [] {
        platform::DiscToc t;
        t.firstTrack = 1;
        t.lastTrack = 3;
        t.trackOffsets = {150, 1650, 2175};
        t.dataTrack = {false, false, false};
        t.leadOut = 7050;
        return t;
    }();
    bool readable = false;
    const auto entries = musicBrainzEntries(
        fuzz::bytes(data, size), QStringLiteral("SJdpcXRHi_Slapm_id4X7rNm8FA-"), toc, &readable);
    if (!entries.empty() && !readable)
        std::abort();
    for (const auto& entry : entries)
        fuzz::checkEntry(entry);
    return 0;
}
