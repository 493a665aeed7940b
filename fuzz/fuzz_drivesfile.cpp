// The drives file (VornapDrives.dat): lines "E:\=<path>".
#include "fuzzsupport.h"
#include "platform/drives/drivetable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vornap::platform;
    DriveTable table(DriveTable::Options{QString(), false, QString()});
    table.readDrivesText(vornap::fuzz::bytes(data, size), QStringLiteral("/nonexistent-vornap"));
    const std::vector<Drive*> drives = table.drives();
    if (drives.size() > 26)
        std::abort();
    char last = 0;
    for (Drive* d : drives) {
        // One drive per letter, in letter order, each found by its own root.
        if (d->letter() <= last || d->letter() < 'A' || d->letter() > 'Z' ||
            d->root() != std::string(1, d->letter()) + ":\\" || table.find(d->root()) != d ||
            !d->isVirtual() || d->source().isEmpty())
            std::abort();
        last = d->letter();
    }
    return 0;
}
