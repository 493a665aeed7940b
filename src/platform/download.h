#pragma once

#include <QString>
#include <chrono>

namespace vornap::platform {

// How long a request waits for a connection, and how long a lookup (all its
// sources together) or an update check may keep the window from input.
inline constexpr std::chrono::milliseconds kConnectTimeout{5000};
inline constexpr std::chrono::milliseconds kTotalTimeout{15000};

// URLDownloadToFileA: fetch an address into a local file; true on success.
class Downloader {
public:
    virtual ~Downloader() = default;
    virtual bool downloadToFile(const QString& url, const QString& localPath) = 0;
};

} // namespace vornap::platform
