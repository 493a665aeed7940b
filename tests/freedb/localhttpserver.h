#pragma once

#include <QByteArray>
#include <QString>
#include <QUrlQuery>
#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace vornap::test {

// A small HTTP/1.1 server on 127.0.0.1 in its own thread, one request per
// connection. Serves as a CDDB server, a MusicBrainz service or a proxy.
class LocalHttpServer {
public:
    struct Request {
        QByteArray requestLine;
        QByteArray target; // as sent: a path, or a full address when sent to a proxy
        QString path;
        QUrlQuery query;
        std::map<QByteArray, QByteArray> headers; // names in lower case
        bool absoluteTarget() const { return target.startsWith("http://"); }
    };
    struct Response {
        int status = 200;
        QByteArray body;
        QByteArray contentType = "text/plain; charset=utf-8";
        bool neverAnswer = false; // hold the connection open until the client gives up
        bool closeAtOnce = false; // close without a word
    };
    using Handler = std::function<Response(const Request&)>;

    explicit LocalHttpServer(Handler handler);
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    int port() const { return m_port; }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    std::vector<Request> requests() const;
    std::size_t requestCount() const;

private:
    void run();
    void serve(int client);

    Handler m_handler;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::vector<Request> m_requests;
    std::thread m_thread;
};

} // namespace vornap::test
