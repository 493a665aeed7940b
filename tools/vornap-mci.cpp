// Sends MCI command strings to the CD device, as the player does: one command
// per argument, or per line of standard input. Prints per command the result
// code, a tab and the answer.

#include "platform/mci/mcidevice.h"
#include "platform/process.h"
#include "platform/userdata.h"

#include <QCoreApplication>
#include <cstdio>
#include <iostream>
#include <string>

using namespace vornap::platform;

namespace {

void usage() {
    std::puts("usage: vornap-mci [--drives] [command ...]\n"
              "  Without commands, reads one command per line from standard input.\n"
              "  Prints \"<result code>\\t<answer>\" per command.\n"
              "  --drives  list the drive table (real drives and VornapDrives.dat)\n"
              "  Drives file and application path as the player: $VORNAP_HOME or this\n"
              "  program's directory (installed: the per-user folder under the XDG data home).");
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const DefaultAppPath where;
    prepareUserAppPath(where.layout()); // an installed copy finds the demo tray as the player does
    const QString appPath = where.path();
    CdDeviceOptions options;
    options.appPath = appPath;
    options.demoWhenNoDrives = true;
    CdDevices cd = makeCdDevices(options);

    std::vector<std::string> commands;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            usage();
            return 0;
        }
        if (a == "--drives") {
            std::printf("application path: %s\n", qPrintable(appPath));
            for (Drive* d : cd.table->drives())
                std::printf("%s\t%s\t%s\t%s\n", d->root().c_str(),
                            d->isVirtual() ? "virtual" : "drive", qPrintable(d->source()),
                            d->probe() ? "disc" : "empty");
            std::fflush(stdout);
            continue;
        }
        commands.push_back(a);
    }

    char answer[256];
    auto run = [&](const std::string& command) {
        const std::uint32_t code = cd.device->sendString(command, answer, sizeof answer);
        std::printf("%u\t%s\n", code, answer);
        std::fflush(stdout);
    };
    if (!commands.empty() || argc > 1) {
        for (const std::string& c : commands)
            run(c);
        return 0;
    }
    // Each line is handled as it arrives, so a script can wait while a disc plays.
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        run(line);
    }
    return 0;
}
