#include "badserver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vornap::test {

namespace {

// Sends all of `data` unless the peer is gone or the server stops.
bool sendAll(int fd, const char* data, std::size_t size, const std::atomic<bool>& stop) {
    while (size > 0 && !stop) {
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        data += n;
        size -= std::size_t(n);
    }
    return size == 0;
}

} // namespace

BadHttpServer::BadHttpServer(Kind kind, QByteArray start, std::chrono::milliseconds tricklePause)
    : m_kind(kind), m_start(std::move(start)), m_pause(tricklePause) {
    this->start();
}

BadHttpServer::BadHttpServer(Answer slowAnswer)
    : m_kind(Kind::Slow), m_pause(0), m_answer(std::move(slowAnswer)) {
    start();
}

void BadHttpServer::start() {
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(m_listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::listen(m_listener, 8);
    socklen_t len = sizeof addr;
    ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    m_thread = std::thread([this] { run(); });
}

BadHttpServer::~BadHttpServer() {
    m_stop = true;
    m_thread.join();
    ::close(m_listener);
}

void BadHttpServer::run() {
    while (!m_stop) {
        pollfd p{m_listener, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        const int client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        ++m_connections;
        serve(client);
        ::close(client);
    }
}

void BadHttpServer::serve(int client) {
    // The request head; its content does not matter.
    QByteArray head;
    char buffer[4096];
    while (!head.contains("\r\n\r\n") && !m_stop) {
        pollfd p{client, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
        if (n <= 0)
            return;
        head.append(buffer, n);
    }
    if (m_kind == Kind::Slow) {
        const QByteArray body = m_answer(head);
        const QByteArray reply = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                                 QByteArray::number(body.size()) + "\r\n\r\n" + body;
        sendAll(client, reply.constData(), std::size_t(reply.size()), m_stop);
        return;
    }
    const QByteArray reply =
        "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n";
    if (!sendAll(client, reply.constData(), std::size_t(reply.size()), m_stop) ||
        !sendAll(client, m_start.constData(), std::size_t(m_start.size()), m_stop)) {
        m_hungUp = !m_stop;
        return;
    }
    m_sent += m_start.size();

    QByteArray garbage(64 * 1024, '\0');
    for (qsizetype i = 0; i < garbage.size(); ++i)
        garbage[i] = char((i * 7919) % 251 + 1);
    for (qint64 i = 0; !m_stop; ++i) {
        const char* data = m_kind == Kind::Endless ? garbage.constData() : &garbage[i % 64];
        const std::size_t size = m_kind == Kind::Endless ? std::size_t(garbage.size()) : 1;
        if (!sendAll(client, data, size, m_stop)) {
            m_hungUp = !m_stop;
            return;
        }
        m_sent += std::int64_t(size);
        if (m_kind == Kind::Trickle) {
            // Watch for the hang-up while pausing, so it is seen at once.
            pollfd p{client, POLLIN, 0};
            if (::poll(&p, 1, int(m_pause.count())) > 0 &&
                ::recv(client, buffer, sizeof buffer, MSG_DONTWAIT) <= 0) {
                m_hungUp = true;
                return;
            }
        }
    }
}

} // namespace vornap::test
