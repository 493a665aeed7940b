#pragma once

#include <QByteArray>
#include <QString>
#include <QUrlQuery>
#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace vornap::test {

// A small HTTP/1.1 server on 127.0.0.1 and a free port, answering from its own
// thread, one request per connection. It serves fixed replies by path, or asks
// a handler (a CDDB server, a MusicBrainz service, a proxy).
class LocalHttpServer {
public:
    struct Request {
        QByteArray requestLine;
        QByteArray target; // as sent: a path, or a full address when sent to a proxy
        QString path;
        QUrlQuery query;
        std::map<QByteArray, QByteArray> headers; // names in lower case
    };
    struct Reply {
        int status = 200;
        QByteArray body{};
        QByteArray contentType = "text/plain; charset=utf-8";
        QByteArray extraHeaders{}; // whole lines, each ending in CRLF
        bool sendLength = true;    // false: the body simply ends with the connection
        bool neverAnswer = false;  // hold the connection open until the client gives up
        bool closeAtOnce = false;  // close without a word
        // After the body, garbage until the client hangs up: in large blocks,
        // or one byte every `trickle` when that is set.
        bool endless = false;
        std::chrono::milliseconds trickle{0};
    };
    using Handler = std::function<Reply(const Request&)>;

    // Answers what serve() set up, and 404 to everything else.
    LocalHttpServer();
    explicit LocalHttpServer(Handler handler);
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    void serve(const QString& path, Reply reply);
    void serve(const QString& path, const QByteArray& body) { serve(path, Reply{200, body}); }

    quint16 port() const { return m_port; }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    QString base() const { return QStringLiteral("http://") + address(); }
    std::vector<Request> requests() const;
    std::size_t requestCount() const { return requests().size(); }
    // Bytes sent after the headers, and whether a client hung up on an endless reply.
    std::int64_t bodyBytesSent() const { return m_sent; }
    bool clientHungUp() const { return m_hungUp; }

    // A port on 127.0.0.1 where nothing listens.
    static quint16 closedPort();

private:
    void answer(int client);

    Handler m_handler;
    int m_listen = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_stop{false}, m_hungUp{false};
    std::atomic<std::int64_t> m_sent{0};
    mutable std::mutex m_mutex;
    std::map<QString, Reply> m_replies;
    std::vector<Request> m_requests;
    std::thread m_thread;
};

} // namespace vornap::test
