#include "support/fakes.h"

#include "platform/memoryregistry.h"
#include "platform/nodevice.h"

#include <algorithm>
#include <cstring>

namespace vornap::test {

std::uint32_t RecordingMci::sendString(std::string_view command, char* answer,
                                       std::uint32_t answerLength) {
    commands.emplace_back(command);
    if (answer && answerLength > 0)
        answer[0] = '\0';
    const auto it = replies.find(std::string(command));
    if (it == replies.end())
        return 0;
    if (answer && answerLength > 0 && it->second.code == 0) {
        const std::size_t n = std::min<std::size_t>(it->second.answer.size(), answerLength - 1);
        std::memcpy(answer, it->second.answer.data(), n);
        answer[n] = '\0';
    }
    return it->second.code;
}

bool FakeDownloader::downloadToFile(const QString& url, const QString& localPath) {
    urls.push_back(url);
    return serve ? serve(url, localPath) : false;
}

TestPlatform::TestPlatform(const QString& appPath) {
    platform.appPath = std::make_unique<platform::FixedAppPath>(appPath);
    auto box = std::make_unique<RecordingMessageBox>();
    messageBox = box.get();
    platform.messageBox = std::move(box);
    auto proc = std::make_unique<ThrowingProcessControl>();
    process = proc.get();
    platform.process = std::move(proc);
    auto lock = std::make_unique<FakeInstanceLock>();
    instanceLock = lock.get();
    platform.instanceLock = std::move(lock);
    auto m = std::make_unique<RecordingMci>();
    mci = m.get();
    platform.mci = std::move(m);
    platform.driveTypes = std::make_unique<platform::NoDrives>();
    platform.discRoot = std::make_unique<platform::NoDrives>();
    platform.discToc = std::make_unique<platform::NoDrives>();
    platform.registry = std::make_unique<platform::MemoryRegistry>();
    auto t = std::make_unique<RecordingTray>();
    tray = t.get();
    platform.tray = std::move(t);
    auto ws = std::make_unique<RecordingWindowStyle>();
    windowStyle = ws.get();
    platform.windowStyle = std::move(ws);
    auto sh = std::make_unique<RecordingShell>();
    shell = sh.get();
    platform.shell = std::move(sh);
    auto h = std::make_unique<RecordingHelpViewer>();
    help = h.get();
    platform.help = std::move(h);
    auto d = std::make_unique<FakeDownloader>();
    downloader = d.get();
    platform.downloader = std::move(d);
    auto c = std::make_unique<FakeCounter>();
    counter = c.get();
    platform.counter = std::move(c);
}

} // namespace vornap::test
