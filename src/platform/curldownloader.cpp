#include "platform/curldownloader.h"

#include "platform/curlapi.h"

#include <QSaveFile>

namespace vornap::platform {

namespace {

struct Sink {
    QSaveFile* file;
    std::int64_t maxBytes;
    std::int64_t written = 0;
};

std::size_t writeBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const std::size_t bytes = size * count;
    sink->written += std::int64_t(bytes);
    // A body without a Content-Length is only caught here; returning short
    // makes curl abort the transfer.
    if (sink->written > sink->maxBytes)
        return 0;
    if (sink->file->write(data, qint64(bytes)) != qint64(bytes))
        return 0;
    return bytes;
}

} // namespace

CurlDownloader::CurlDownloader() : CurlDownloader(Limits{}) {
}

CurlDownloader::CurlDownloader(Limits limits) : m_limits(limits) {
}

bool CurlDownloader::downloadToFile(const QString& url, const QString& localPath) {
    CurlTransfer curl(url.toUtf8(), m_limits.maxRedirects, long(m_limits.connectTimeout.count()),
                      long(m_limits.totalTimeout.count()));
    if (!curl)
        return false;

    QSaveFile file(localPath);
    // Unbuffered: a short write on a full disk shows at once and is not committed.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    Sink sink{&file, m_limits.maxBytes};

    curl.set(CURLOPT_MAXFILESIZE_LARGE, curl_off_t(m_limits.maxBytes));
    curl.set(CURLOPT_FAILONERROR, 1L);
    curl.set(CURLOPT_USERAGENT, "Vornap");
    curl.set(CURLOPT_WRITEFUNCTION, &writeBody);
    curl.set(CURLOPT_WRITEDATA, &sink);

    if (curl.perform() != CURLE_OK) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace vornap::platform
