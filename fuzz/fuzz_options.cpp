// The options file as CheckOptions reads it, and what SaveOptions writes
// from that read back: the options must survive a save.
#include "app/vberror.h"
#include "fuzzsupport.h"
#include "options/options.h"

#include <array>

namespace {
using vornap::String;
using vornap::Variables;
constexpr std::array<String Variables::*, 11> kValues{
    &Variables::sCDDrives,    &Variables::sCDDrive,   &Variables::sPlayOnStart,
    &Variables::sSkinDir,     &Variables::sUseCDDB,   &Variables::sCDDBOnStart,
    &Variables::sCDDBServer,  &Variables::sCDDBEmail, &Variables::sTimerSetting,
    &Variables::sSysTrayOnly, &Variables::sIconNum};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vornap;
    Variables read;
    try {
        FieldReader reader(fuzz::bytes(data, size));
        ReadOptions(read, reader);
    } catch (const RuntimeError& e) {
        if (e.number() != 62) // only "Input past end of file"
            std::abort();
        return 0;
    }
    Variables back;
    try {
        FieldReader reader(OptionsRecord(read));
        ReadOptions(back, reader);
        if (!reader.atEnd())
            std::abort();
    } catch (const RuntimeError&) {
        std::abort(); // a saved file that cannot be read again
    }
    // Double quotes cannot be stored; everything else must come back.
    for (auto value : kValues)
        if (back.*value != QString(read.*value).remove(u'"'))
            std::abort();
    return 0;
}
