#pragma once

#include <QString>
#include <functional>
#include <memory>

class QLockFile;

namespace vornap::platform {

// App.Path: the program's data directory, without a trailing separator.
class AppPath {
public:
    virtual ~AppPath() = default;
    virtual QString path() const = 0;
};

// Where the application path is and whether the program runs installed.
struct AppPathLayout {
    QString path;    // App.Path
    QString shipped; // read-only data to link in (<prefix>/share/vornap); else empty
    bool installed() const { return !shipped.isEmpty(); }
};

struct AppPathInputs {
    QString vornapHome;         // $VORNAP_HOME
    QString programDir;         // the executable's directory
    QString dataHome;           // $XDG_DATA_HOME
    QString home;               // the user's home directory
    QString shippedFromProgram; // the installed data folder, relative to programDir
};

// $VORNAP_HOME when set; one without Skins is set up like the per-user folder,
// from the program directory's own data or else the installed data. Else a
// program directory holding its own Skins is a
// runnable layout (the build tree, a portable copy) and is App.Path itself.
// A program without Skins beside it whose shipped data (with Skins) sits at
// programDir/shippedFromProgram runs installed: its App.Path is the per-user
// <data home>/vornap, where a relative $XDG_DATA_HOME counts as unset.
// Anything else falls back to the program directory.
AppPathLayout resolveAppPath(const AppPathInputs& in);
// The inputs of this process, from its environment and executable.
AppPathInputs currentAppPathInputs();

class DefaultAppPath final : public AppPath {
public:
    DefaultAppPath() : m_layout(resolveAppPath(currentAppPathInputs())) {}
    QString path() const override { return m_layout.path; }
    const AppPathLayout& layout() const { return m_layout; }

private:
    AppPathLayout m_layout;
};

class FixedAppPath final : public AppPath {
public:
    explicit FixedAppPath(QString path) : m_path(std::move(path)) {}
    QString path() const override { return m_path; }

private:
    QString m_path;
};

// The previous-instance test: one running player per application path.
class InstanceLock {
public:
    virtual ~InstanceLock() = default;
    // True when another instance holds the lock; otherwise takes it for the
    // life of this object, if it can.
    virtual bool previousInstance() = 0;
    // Why the lock could not be taken when no other instance holds it; empty
    // when it was taken.
    virtual QString failure() const = 0;
    // Asks the instance that holds the lock to bring its window to the front.
    virtual void showRunningInstance() = 0;
    // While this instance holds the lock, each later start's request runs
    // the handler on this thread.
    virtual void onShowRequest(std::function<void()> handler) = 0;
};

class FileInstanceLock final : public InstanceLock {
public:
    explicit FileInstanceLock(const QString& appPath);
    ~FileInstanceLock() override;
    bool previousInstance() override;
    QString failure() const override { return m_failure; }
    void showRunningInstance() override;
    void onShowRequest(std::function<void()> handler) override;
    QString lockFilePath() const { return m_path; }

private:
    // Beside the lock file: where the running player listens for later starts.
    QString socketPath() const;

    class Listener;

    QString m_path;
    QString m_failure;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<Listener> m_listener;
};

// Ending the process at once: no destructors, no unload events.
class ProcessControl {
public:
    virtual ~ProcessControl() = default;
    [[noreturn]] virtual void exitNow(int status) = 0;
};

class RealProcessControl final : public ProcessControl {
public:
    [[noreturn]] void exitNow(int status) override;
};

} // namespace vornap::platform
