#include "update/webserver.h"

#include <QtGlobal>

namespace vornap {

namespace {
constexpr const char* kDefaultWebServer = "https://vornap.example.org";
}

QString MakerWebServer() {
    QString server = qEnvironmentVariable("VORNAP_WEB_SERVER").trimmed();
    if (server.isEmpty())
        server = QString::fromLatin1(kDefaultWebServer);
    // A bare host or host:port means plain HTTP, as the pages were always served.
    if (!server.contains(QLatin1String("://")))
        server.prepend(QLatin1String("http://"));
    while (server.endsWith('/'))
        server.chop(1);
    return server;
}

QString MakerWebPage(const QString& path) {
    return MakerWebServer() + path;
}

} // namespace vornap
