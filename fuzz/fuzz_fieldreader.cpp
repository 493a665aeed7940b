// The sequential field reader over arbitrary bytes: every field it returns
// must lie within the input, and reading on past the end must fail cleanly.
#include "app/vberror.h"
#include "fuzzsupport.h"
#include "options/fieldreader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vornap;
    FieldReader reader(fuzz::bytes(data, size));
    // Each field consumes at least one byte or ends the input, so this bounds the loop.
    for (std::size_t i = 0; i <= size + 1; ++i) {
        const bool atEnd = reader.atEnd();
        try {
            const QString field = reader.input();
            if (atEnd || std::size_t(field.size()) > size)
                std::abort();
        } catch (const RuntimeError& e) {
            if (!atEnd || e.number() != 62)
                std::abort();
            return 0;
        }
    }
    std::abort(); // the reader never reached the end
}
