#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <atomic>
#include <map>
#include <mutex>
#include <thread>

namespace vornap::test {

// A small HTTP/1.0 server on 127.0.0.1 and a free port, serving fixed
// replies from its own thread: one request per connection.
class LocalHttpServer {
public:
    struct Reply {
        int status = 200;
        QByteArray body;
        QByteArray extraHeaders; // whole lines, each ending in CRLF
        bool sendLength = true;  // false: the body simply ends with the connection
    };

    LocalHttpServer();
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    void serve(const QString& path, Reply reply);
    void serve(const QString& path, const QByteArray& body) { serve(path, Reply{200, body, {}}); }
    // Connections are taken by the system but never read or answered.
    void setSilent(bool silent) { m_silent = silent; }

    quint16 port() const { return m_port; }
    QString base() const; // "http://127.0.0.1:<port>"
    QString url(const QString& path) const { return base() + path; }
    QStringList requests() const; // paths asked for, in order

    // A port on 127.0.0.1 where nothing listens.
    static quint16 closedPort();

private:
    void run();
    void answer(int client);

    int m_listen = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_silent{false};
    mutable std::mutex m_mutex;
    std::map<QString, Reply> m_replies;
    QStringList m_requests;
    std::thread m_thread;
};

} // namespace vornap::test
