// MCI command strings, one a line, sent to the device over a generated disc.
// The first byte sets the answer buffer's length; a line "~N" moves the
// clock on by N milliseconds so playback moves.
#include "discfixture.h"
#include "fuzzsupport.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vornap;
    if (size == 0)
        return 0;
    static const QTemporaryDir& dir = fuzz::discDirectory();
    static platform::ManualClock clock;
    static platform::CdDevices cd = [] {
        auto devices = platform::makeTestCdDevices(QString(), clock);
        devices.table->addVirtualDrive('D', dir.filePath(QStringLiteral("tray")));
        devices.table->addVirtualDrive('E', dir.filePath(QStringLiteral("tray/disc.cue")));
        devices.table->addVirtualDrive('F', dir.filePath(QStringLiteral("empty")));
        return devices;
    }();
    // A fresh device per input: aliases and players start over.
    platform::MciDevice device(
        cd.table, std::shared_ptr<platform::Clock>(std::shared_ptr<void>(), &clock), cd.output);

    const std::uint32_t length = data[0];
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line[0] == '~') {
            clock.advanceMs(std::clamp(std::atoll(line.c_str() + 1), 0LL, 600'000LL));
            continue;
        }
        std::string lower = line;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return char(std::tolower(c)); });
        // "play ... wait" blocks until the clock, which only this loop moves, passes the end.
        if (lower.find("play") != std::string::npos && lower.find("wait") != std::string::npos)
            continue;
        fuzz::send(device, line, length);
    }
    return 0;
}
