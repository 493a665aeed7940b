#pragma once

#include "platform/discimage/discimage.h"
#include "platform/mci/mcidevice.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <string>

namespace vornap::test {

namespace di = platform::discimage;

inline const std::string openCd1 = "open E:\\ type cdaudio alias cd1 wait shareable";

// A device with no real drives on a manual clock, over discs written into a
// temporary directory. Its output is silent on the clock unless given.
struct MciFixture {
    QTemporaryDir dir;
    platform::ManualClock clock;
    platform::CdDevices cd;

    explicit MciFixture(std::shared_ptr<platform::audio::AudioOutput> output = nullptr)
        : cd(output ? platform::makeCdDevices({dir.path(), false, false,
                                               std::shared_ptr<platform::Clock>(
                                                   std::shared_ptr<platform::Clock>(), &clock),
                                               std::move(output)})
                    : platform::makeTestCdDevices(dir.path(), clock)) {}

    QString write(const di::DiscSpec& spec, const QString& name = QStringLiteral("disc.cue")) {
        QString error;
        if (!di::writeBinCue(spec, dir.filePath(name), &error))
            throw std::runtime_error(error.toStdString());
        return dir.filePath(name);
    }
    // An empty folder standing in as a drive's tray.
    QString tray() {
        QDir(dir.path()).mkdir("tray");
        return dir.filePath("tray");
    }

    struct Result {
        std::uint32_t code;
        std::string answer;
    };
    Result send(const std::string& command) {
        char buffer[31];
        std::memset(buffer, 'x', sizeof buffer);
        const std::uint32_t code = cd.device->sendString(command, buffer, 30);
        return {code, std::string(buffer)};
    }
    std::string ask(const std::string& command) { return send(command).answer; }
};

} // namespace vornap::test
