#pragma once

#include "platform/platform.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace vornap::test {

// Thrown by the test process control where the real one would end the process.
struct ProcessEnded {
    int status;
};

class RecordingMessageBox final : public platform::MessageBox {
public:
    struct Shown {
        QString text;
        QString caption;
    };
    void show(QWidget*, const QString& text, const QString& caption) override {
        boxes.push_back({text, caption});
    }
    std::vector<Shown> boxes;
};

class ThrowingProcessControl final : public platform::ProcessControl {
public:
    [[noreturn]] void exitNow(int status) override { throw ProcessEnded{status}; }
};

class FakeInstanceLock final : public platform::InstanceLock {
public:
    bool previousInstance() override { return otherRunning; }
    QString failure() const override { return failureText; }
    void showRunningInstance() override { ++showsAsked; }
    void onShowRequest(std::function<void()>) override {}
    bool otherRunning = false;
    QString failureText;
    int showsAsked = 0;
};

// Records every command and answers from a table of canned replies.
class RecordingMci final : public platform::Mci {
public:
    struct Reply {
        std::string answer;
        std::uint32_t code = 0;
    };
    std::uint32_t sendString(std::string_view command, char* answer,
                             std::uint32_t answerLength) override;
    std::vector<std::string> commands;
    std::map<std::string, Reply> replies; // by exact command text
};

class RecordingHelpViewer final : public platform::HelpViewer {
public:
    bool htmlHelp(QWidget*, const QString& helpFile, std::uint32_t, std::uintptr_t) override {
        opened.push_back(helpFile);
        if (whileOpen)
            whileOpen();
        return true;
    }
    QStringList opened;
    std::function<void()> whileOpen; // the user at the help window
};

class RecordingShell final : public platform::Shell {
public:
    bool shellExecute(QWidget*, const QString&, const QString& file, const QString&,
                      const QString& directory, int) override {
        opened.push_back(file);
        directories.push_back(directory);
        return true;
    }
    QStringList opened, directories;
};

class RecordingTray final : public platform::Tray {
public:
    struct Call {
        std::uint32_t message;
        platform::NotifyIconData data;
    };
    bool shellNotifyIcon(std::uint32_t message, const platform::NotifyIconData& data) override {
        calls.push_back({message, data});
        return true;
    }
    void sendMouseMessage(std::uint32_t message) { deliver(message); }
    bool hostPresent() const override { return present; }
    void setHost(bool host) { hostChanged(present = host); }
    std::vector<Call> calls;
    bool present = true;
};

class RecordingWindowStyle final : public platform::WindowStyle {
public:
    std::int32_t getWindowLong(QWidget*, std::int32_t) override { return exStyle; }
    std::int32_t setWindowLong(QWidget*, std::int32_t, std::int32_t value) override {
        writes.push_back(value);
        return std::exchange(exStyle, value);
    }
    std::int32_t exStyle = platform::WS_EX_APPWINDOW | 0x100;
    std::vector<std::int32_t> writes;
};

class FakeCounter final : public platform::Counter {
public:
    std::int64_t frequency() override { return ticksPerSecond; }
    std::int64_t counter() override { return now; }
    std::int64_t ticksPerSecond = 1000000, now = 0;
};

// No network: every download fails.
class FakeDownloader final : public platform::Downloader {
public:
    bool downloadToFile(const QString&, const QString&) override { return false; }
};

// A platform made of the doubles above, with a temporary application path.
// The typed pointers reach the doubles after the bundle owns them.
struct TestPlatform {
    explicit TestPlatform(const QString& appPath);
    platform::Platform platform;
    RecordingMessageBox* messageBox;
    ThrowingProcessControl* process;
    FakeInstanceLock* instanceLock;
    RecordingMci* mci;
    RecordingHelpViewer* help;
    RecordingShell* shell;
    RecordingTray* tray;
    RecordingWindowStyle* windowStyle;
    FakeCounter* counter;
};

} // namespace vornap::test
