#pragma once

#include <QString>
#include <curl/curl.h>

namespace vornap::platform {

// libcurl is opened on first use rather than linked: loading it, with the
// TLS, Kerberos and LDAP libraries it brings and their constructors, took a
// fifth of the CPU time before the first painted window, and most sessions
// never look anything up.
struct CurlApi {
    CURL* (*easyInit)();
    CURLcode (*easySetopt)(CURL*, CURLoption, ...);
    CURLcode (*easyPerform)(CURL*);
    CURLcode (*easyGetinfo)(CURL*, CURLINFO, ...);
    void (*easyCleanup)(CURL*);
    const char* (*easyStrerror)(CURLcode);
};

// The library, opened and initialised once for the process; null when it
// cannot be opened, with the reason in *error.
const CurlApi* curlApi(QString* error = nullptr);

// One transfer handle with what every request of the player shares: HTTP
// or HTTPS only (redirects too), at most `maxRedirects` of them, the two
// time limits, and no signals (transfers run off the main thread).
class CurlTransfer {
public:
    CurlTransfer(const QByteArray& url, long maxRedirects, long connectTimeoutMs,
                 long totalTimeoutMs);
    ~CurlTransfer();
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    // False when the library or the handle could not be had; error() says why.
    explicit operator bool() const { return m_handle != nullptr; }
    QString error() const { return m_error; }

    template <typename T> void set(CURLoption option, T value) {
        m_api->easySetopt(m_handle, option, value);
    }
    CURLcode perform() { return m_api->easyPerform(m_handle); }
    long responseCode() const;
    const char* describe(CURLcode code) const { return m_api->easyStrerror(code); }

private:
    const CurlApi* m_api;
    CURL* m_handle = nullptr;
    QString m_error;
};

} // namespace vornap::platform
