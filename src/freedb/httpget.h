#pragma once

#include "platform/download.h"

#include <QByteArray>
#include <QString>

namespace vornap {

struct HttpProxy {
    QString address; // empty: no proxy of our own (the environment's applies)
    int port = 0;    // 0: the address's own or libcurl's default
};

struct HttpOptions {
    int connectTimeoutMs = int(platform::kConnectTimeout.count());
    int totalTimeoutMs = int(platform::kTotalTimeout.count());
    QString userAgent;
    HttpProxy proxy;
};

struct HttpReply {
    bool transferred = false; // a complete HTTP reply arrived
    long status = 0;          // HTTP status code
    QByteArray body;
    QString error; // why nothing usable arrived
};

// One blocking GET over HTTP or HTTPS.
HttpReply httpGet(const QString& url, const HttpOptions& options);

} // namespace vornap
