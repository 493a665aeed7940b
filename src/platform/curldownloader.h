#pragma once

#include "platform/download.h"

#include <chrono>
#include <cstdint>

namespace vornap::platform {

// URLDownloadToFileA over libcurl: HTTP or HTTPS only, redirects followed,
// bounded in time and size. The local file appears only when the whole body
// arrived; a failed download leaves no file behind.
class CurlDownloader final : public Downloader {
public:
    struct Limits {
        std::chrono::milliseconds connectTimeout = kConnectTimeout;
        std::chrono::milliseconds totalTimeout = kTotalTimeout;
        std::int64_t maxBytes = 1 << 20;
        long maxRedirects = 5;
    };

    CurlDownloader();
    explicit CurlDownloader(Limits limits);
    bool downloadToFile(const QString& url, const QString& localPath) override;

private:
    Limits m_limits;
};

} // namespace vornap::platform
