#include "platform/curlapi.h"

#include <QLibrary>
#include <mutex>

namespace vornap::platform {

namespace {

template <typename F> bool resolve(QLibrary& library, const char* name, F& target) {
    target = reinterpret_cast<F>(library.resolve(name));
    return target != nullptr;
}

struct Loaded {
    CurlApi api{};
    bool ok = false;
    QString error;
};

Loaded load() {
    Loaded result;
    // The OpenSSL and GnuTLS builds share one interface.
    QLibrary library;
    for (const char* name : {"curl", "curl-gnutls"}) {
        library.setFileNameAndVersion(QLatin1String(name), 4);
        if (library.load())
            break;
    }
    if (!library.isLoaded()) {
        result.error = QStringLiteral("the network library could not be loaded (%1)")
                           .arg(library.errorString());
        return result;
    }
    CURLcode (*globalInit)(long) = nullptr;
    CurlApi& a = result.api;
    if (!resolve(library, "curl_global_init", globalInit) ||
        !resolve(library, "curl_easy_init", a.easyInit) ||
        !resolve(library, "curl_easy_setopt", a.easySetopt) ||
        !resolve(library, "curl_easy_perform", a.easyPerform) ||
        !resolve(library, "curl_easy_getinfo", a.easyGetinfo) ||
        !resolve(library, "curl_easy_cleanup", a.easyCleanup) ||
        !resolve(library, "curl_easy_strerror", a.easyStrerror)) {
        result.error =
            QStringLiteral("the network library is incomplete (%1)").arg(library.errorString());
        return result;
    }
    if (globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        result.error = QStringLiteral("the network library could not start");
        return result;
    }
    // Stays loaded for the life of the process: QLibrary does not unload on
    // destruction.
    result.ok = true;
    return result;
}

} // namespace

const CurlApi* curlApi(QString* error) {
    static Loaded loaded;
    static std::once_flag once;
    std::call_once(once, [] { loaded = load(); });
    if (!loaded.ok && error)
        *error = loaded.error;
    return loaded.ok ? &loaded.api : nullptr;
}

CurlTransfer::CurlTransfer(const QByteArray& url, long maxRedirects, long connectTimeoutMs,
                           long totalTimeoutMs)
    : m_api(curlApi(&m_error)) {
    if (!m_api)
        return;
    m_handle = m_api->easyInit();
    if (!m_handle) {
        m_error = QStringLiteral("the network library could not start");
        return;
    }
    set(CURLOPT_URL, url.constData());
    set(CURLOPT_PROTOCOLS_STR, "http,https");
    set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    set(CURLOPT_FOLLOWLOCATION, 1L);
    set(CURLOPT_MAXREDIRS, maxRedirects);
    set(CURLOPT_CONNECTTIMEOUT_MS, connectTimeoutMs);
    set(CURLOPT_TIMEOUT_MS, totalTimeoutMs);
    set(CURLOPT_NOSIGNAL, 1L);
}

CurlTransfer::~CurlTransfer() {
    if (m_handle)
        m_api->easyCleanup(m_handle);
}

long CurlTransfer::responseCode() const {
    long code = 0;
    m_api->easyGetinfo(m_handle, CURLINFO_RESPONSE_CODE, &code);
    return code;
}

} // namespace vornap::platform
