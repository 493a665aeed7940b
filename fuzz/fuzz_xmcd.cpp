// A lookup cache file or a server's entry, as parseXmcd reads it.
#include "entrychecks.h"
#include "fuzzsupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vornap;
    const auto entry = parseXmcd(fuzz::bytes(data, size));
    if (entry)
        fuzz::checkEntry(*entry);
    return 0;
}
