#pragma once

#include <QString>
#include <memory>

class QLockFile;

namespace vornap::platform {

// App.Path: the program's data directory, without a trailing separator.
class AppPath {
public:
    virtual ~AppPath() = default;
    virtual QString path() const = 0;
};

// $VORNAP_HOME when set, else the directory of the executable.
class DefaultAppPath final : public AppPath {
public:
    QString path() const override;
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
    // life of this object.
    virtual bool previousInstance() = 0;
};

class FileInstanceLock final : public InstanceLock {
public:
    explicit FileInstanceLock(const QString& appPath);
    ~FileInstanceLock() override;
    bool previousInstance() override;
    QString lockFilePath() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
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
