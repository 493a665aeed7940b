#include "platform/curldownloader.h"

#include <QSaveFile>
#include <curl/curl.h>
#include <memory>
#include <mutex>

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

void initCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace

CurlDownloader::CurlDownloader() : CurlDownloader(Limits{}) {
}

CurlDownloader::CurlDownloader(Limits limits) : m_limits(limits) {
    initCurlOnce();
}

bool CurlDownloader::downloadToFile(const QString& url, const QString& localPath) {
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
    if (!curl)
        return false;

    QSaveFile file(localPath);
    // Unbuffered: a short write on a full disk shows at once and is not committed.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    Sink sink{&file, m_limits.maxBytes};

    const QByteArray address = url.toUtf8();
    CURL* h = curl.get();
    curl_easy_setopt(h, CURLOPT_URL, address.constData());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, m_limits.maxRedirects);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, long(m_limits.connectTimeout.count()));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, long(m_limits.totalTimeout.count()));
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(m_limits.maxBytes));
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(h, CURLOPT_USERAGENT, "Vornap");
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &writeBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);

    if (curl_easy_perform(h) != CURLE_OK) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace vornap::platform
