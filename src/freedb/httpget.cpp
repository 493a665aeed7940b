#include "freedb/httpget.h"

#include <curl/curl.h>
#include <memory>
#include <mutex>

namespace vornap {

namespace {

// Replies larger than any disc entry are not worth holding.
constexpr qsizetype kMaxBody = 4 * 1024 * 1024;

size_t collect(char* data, size_t size, size_t count, void* target) {
    auto* body = static_cast<QByteArray*>(target);
    const size_t n = size * count;
    if (body->size() + qsizetype(n) > kMaxBody)
        return 0; // aborts the transfer
    body->append(data, qsizetype(n));
    return n;
}

void initCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace

HttpReply httpGet(const QString& url, const HttpOptions& options) {
    initCurlOnce();
    HttpReply reply;
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
    if (!curl) {
        reply.error = QStringLiteral("the network library could not start");
        return reply;
    }
    const QByteArray urlBytes = url.toUtf8();
    const QByteArray agent = options.userAgent.toUtf8();
    const QByteArray proxy = options.proxy.address.toUtf8();
    char errorText[CURL_ERROR_SIZE] = {};
    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, urlBytes.constData());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, long(options.connectTimeoutMs));
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, long(options.totalTimeoutMs));
    curl_easy_setopt(c, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &collect);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &reply.body);
    if (!agent.isEmpty())
        curl_easy_setopt(c, CURLOPT_USERAGENT, agent.constData());
    if (!proxy.isEmpty()) {
        curl_easy_setopt(c, CURLOPT_PROXY, proxy.constData());
        if (options.proxy.port > 0)
            curl_easy_setopt(c, CURLOPT_PROXYPORT, long(options.proxy.port));
    }

    const CURLcode result = curl_easy_perform(c);
    if (result != CURLE_OK) {
        reply.error = QString::fromUtf8(errorText[0] ? errorText : curl_easy_strerror(result));
        if (result == CURLE_WRITE_ERROR)
            reply.error = QStringLiteral("the reply is too large");
        reply.body.clear();
        return reply;
    }
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &reply.status);
    reply.transferred = true;
    return reply;
}

} // namespace vornap
