#pragma once

#include <csignal>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <unistd.h>

namespace vornap::test {

// Root writes into read-only directories; for the length of a scope the
// file system sees this thread as an ordinary user instead.
class AsOrdinaryUser {
public:
    AsOrdinaryUser() {
        if (::geteuid() == 0)
            ::setfsuid(65534);
    }
    // False when the system refused the change (no CAP_SETUID).
    bool active() const { return ::geteuid() != 0 || ::setfsuid(uid_t(-1)) == 65534; }
    ~AsOrdinaryUser() {
        if (::geteuid() == 0)
            ::setfsuid(0);
    }
};

// Files of this process may grow to `bytes`; a longer write fails with EFBIG,
// as on a full disk.
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
