#pragma once

#include <QString>

namespace vornap::platform {

// URLDownloadToFileA: fetch an address into a local file; true on success.
class Downloader {
public:
    virtual ~Downloader() = default;
    virtual bool downloadToFile(const QString& url, const QString& localPath) = 0;
};

} // namespace vornap::platform
