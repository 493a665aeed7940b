#include "freedb/httpget.h"

#include "platform/curlapi.h"

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

} // namespace

HttpReply httpGet(const QString& url, const HttpOptions& options) {
    HttpReply reply;
    platform::CurlTransfer curl(url.toUtf8(), 5, long(options.connectTimeoutMs),
                                long(options.totalTimeoutMs));
    if (!curl) {
        reply.error = curl.error();
        return reply;
    }
    const QByteArray agent = options.userAgent.toUtf8();
    const QByteArray proxy = options.proxy.address.toUtf8();
    char errorText[CURL_ERROR_SIZE] = {};
    curl.set(CURLOPT_ACCEPT_ENCODING, "");
    curl.set(CURLOPT_ERRORBUFFER, errorText);
    curl.set(CURLOPT_WRITEFUNCTION, &collect);
    curl.set(CURLOPT_WRITEDATA, &reply.body);
    if (!agent.isEmpty())
        curl.set(CURLOPT_USERAGENT, agent.constData());
    if (!proxy.isEmpty()) {
        curl.set(CURLOPT_PROXY, proxy.constData());
        if (options.proxy.port > 0)
            curl.set(CURLOPT_PROXYPORT, long(options.proxy.port));
    }

    const CURLcode result = curl.perform();
    if (result != CURLE_OK) {
        reply.error = QString::fromUtf8(errorText[0] ? errorText : curl.describe(result));
        if (result == CURLE_WRITE_ERROR)
            reply.error = QStringLiteral("the reply is too large");
        reply.body.clear();
        return reply;
    }
    reply.status = curl.responseCode();
    reply.transferred = true;
    return reply;
}

} // namespace vornap
