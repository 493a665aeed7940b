#include "support/fakes.h"

#include "platform/memoryregistry.h"
#include "platform/nodevice.h"

#include <algorithm>
#include <cstring>

namespace vornap::test {

std::uint32_t RecordingMci::sendString(std::string_view command, char* answer,
                                       std::uint32_t answerLength) {
    commands.emplace_back(command);
    const auto it = replies.find(std::string(command));
    const Reply reply = it == replies.end() ? Reply{} : it->second;
    if (answer && answerLength > 0) {
        const std::size_t n =
            reply.code ? 0 : std::min<std::size_t>(reply.answer.size(), answerLength - 1);
        std::memcpy(answer, reply.answer.data(), n);
        answer[n] = '\0';
    }
    return reply.code;
}

namespace {

// Puts a new double into its slot of the bundle and returns it.
template <class Double, class Slot> Double* install(Slot& slot) {
    auto owned = std::make_unique<Double>();
    Double* raw = owned.get();
    slot = std::move(owned);
    return raw;
}

} // namespace

TestPlatform::TestPlatform(const QString& appPath) {
    platform::Platform& p = platform;
    p.appPath = std::make_unique<platform::FixedAppPath>(appPath);
    p.driveTypes = std::make_unique<platform::NoDrives>();
    p.discRoot = std::make_unique<platform::NoDrives>();
    p.discToc = std::make_unique<platform::NoDrives>();
    p.registry = std::make_unique<platform::MemoryRegistry>();
    p.downloader = std::make_unique<FakeDownloader>();
    messageBox = install<RecordingMessageBox>(p.messageBox);
    process = install<ThrowingProcessControl>(p.process);
    instanceLock = install<FakeInstanceLock>(p.instanceLock);
    mci = install<RecordingMci>(p.mci);
    tray = install<RecordingTray>(p.tray);
    windowStyle = install<RecordingWindowStyle>(p.windowStyle);
    shell = install<RecordingShell>(p.shell);
    help = install<RecordingHelpViewer>(p.help);
    counter = install<FakeCounter>(p.counter);
}

} // namespace vornap::test
