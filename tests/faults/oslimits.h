#pragma once

#include <QFile>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vornap::test {

// A directory made read-only for a scope; root writes into such directories,
// so the file system then sees this thread as an ordinary user.
class ReadOnlyDirectory {
public:
    explicit ReadOnlyDirectory(const QString& dir) : m_dir(QFile::encodeName(dir)) {
        ::chmod(m_dir.constData(), 0555);
        if (::geteuid() == 0)
            ::setfsuid(65534);
        EXPECT_TRUE(::geteuid() != 0 || ::setfsuid(uid_t(-1)) == 65534)
            << "root here cannot act as an ordinary user";
    }
    ~ReadOnlyDirectory() {
        if (::geteuid() == 0)
            ::setfsuid(0);
        ::chmod(m_dir.constData(), 0700);
    }

private:
    QByteArray m_dir;
};

// Files of this process may grow to `bytes`, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace vornap::test
