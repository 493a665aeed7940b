#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace vornap::test {

// An HTTP server on 127.0.0.1 that misbehaves after a proper status line and
// headers: it sends `start` and then either garbage without end or one byte
// at a time, until the client hangs up. Or a slow one: each request waits for
// a function of the test, which gives the whole body.
class BadHttpServer {
public:
    enum class Kind { Endless, Trickle, Slow };
    using Answer = std::function<QByteArray(const QByteArray& requestHead)>;

    BadHttpServer(Kind kind, QByteArray start,
                  std::chrono::milliseconds tricklePause = std::chrono::milliseconds(200));
    explicit BadHttpServer(Answer slowAnswer);
    ~BadHttpServer();
    BadHttpServer(const BadHttpServer&) = delete;
    BadHttpServer& operator=(const BadHttpServer&) = delete;

    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    QString base() const { return QStringLiteral("http://") + address(); }
    // Body bytes that left this side, and whether the client hung up on them.
    std::int64_t bytesSent() const { return m_sent; }
    bool clientHungUp() const { return m_hungUp; }
    int connections() const { return m_connections; }

private:
    void start();
    void run();
    void serve(int client);

    Kind m_kind;
    QByteArray m_start;
    std::chrono::milliseconds m_pause;
    Answer m_answer;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<std::int64_t> m_sent{0};
    std::atomic<bool> m_hungUp{false};
    std::atomic<int> m_connections{0};
    std::thread m_thread;
};

} // namespace vornap::test
