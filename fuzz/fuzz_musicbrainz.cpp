// A MusicBrainz disc-ID reply mapped to an entry for a three-track disc.
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
    const auto entry = musicBrainzEntry(
        fuzz::bytes(data, size), QStringLiteral("SJdpcXRHi_Slapm_id4X7rNm8FA-"), toc, &readable);
    if (entry && !readable)
        std::abort();
    if (entry)
        fuzz::checkEntry(*entry);
    return 0;
}
