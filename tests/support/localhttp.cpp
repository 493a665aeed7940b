#include "support/localhttp.h"

#include <QUrl>
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace vornap::test {

namespace {

int listenOnLoopback(quint16* port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&addr), len) != 0 ||
        ::listen(fd, 16) != 0 || ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        throw std::runtime_error("the test server cannot listen on 127.0.0.1");
    *port = ntohs(addr.sin_port);
    return fd;
}

// Short polls, so a stopping server never waits on a client.
bool waitFor(int fd, short events, const std::atomic<bool>& stop) {
    while (!stop) {
        pollfd p{fd, events, 0};
        const int r = ::poll(&p, 1, 20);
        if (r > 0)
            return true;
        if (r < 0 && errno != EINTR)
            return false;
    }
    return false;
}

// False when the client is gone or the server stops.
bool sendAll(int fd, const char* data, qsizetype size, const std::atomic<bool>& stop) {
    while (size > 0 && waitFor(fd, POLLOUT, stop)) {
        const ssize_t n = ::send(fd, data, size_t(size), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return size == 0;
}

LocalHttpServer::Request parse(const QByteArray& head) {
    LocalHttpServer::Request request;
    const QList<QByteArray> lines = head.left(head.indexOf("\r\n\r\n")).split('\n');
    request.requestLine = lines.value(0).trimmed();
    request.target = request.requestLine.split(' ').value(1);
    for (const QByteArray& line : lines.mid(1)) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            request.headers[line.left(colon).trimmed().toLower()] = line.mid(colon + 1).trimmed();
    }
    const QUrl url = QUrl::fromEncoded(
        request.target.startsWith("http://") ? request.target : "http://local" + request.target);
    request.path = url.path();
    request.query = QUrlQuery(url.query(QUrl::FullyEncoded));
    return request;
}

} // namespace

LocalHttpServer::LocalHttpServer()
    : LocalHttpServer([this](const Request& request) {
          std::lock_guard lock(m_mutex);
          const auto it = m_replies.find(request.path);
          return it != m_replies.end() ? it->second : Reply{404, "not found"};
      }) {
}

LocalHttpServer::LocalHttpServer(Handler handler) : m_handler(std::move(handler)) {
    m_listen = listenOnLoopback(&m_port);
    m_thread = std::thread([this] {
        while (waitFor(m_listen, POLLIN, m_stop)) {
            const int client = ::accept(m_listen, nullptr, nullptr);
            if (client >= 0) {
                answer(client);
                ::close(client);
            }
        }
    });
}

LocalHttpServer::~LocalHttpServer() {
    m_stop = true;
    m_thread.join();
    ::close(m_listen);
}

void LocalHttpServer::serve(const QString& path, Reply reply) {
    std::lock_guard lock(m_mutex);
    m_replies[path] = std::move(reply);
}

std::vector<LocalHttpServer::Request> LocalHttpServer::requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

quint16 LocalHttpServer::closedPort() {
    quint16 port = 0;
    ::close(listenOnLoopback(&port));
    return port;
}

void LocalHttpServer::answer(int client) {
    QByteArray head;
    char buffer[4096];
    while (!head.contains("\r\n\r\n") && head.size() < 65536) {
        const ssize_t n =
            waitFor(client, POLLIN, m_stop) ? ::recv(client, buffer, sizeof buffer, 0) : 0;
        if (n <= 0)
            return;
        head.append(buffer, n);
    }
    const Request request = parse(head);
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(request);
    }
    const Reply reply = m_handler(request);
    if (reply.neverAnswer) // until the client gives up (it closes) or the server stops
        while (waitFor(client, POLLIN, m_stop) && ::recv(client, buffer, sizeof buffer, 0) > 0) {
        }
    if (reply.closeAtOnce || reply.neverAnswer)
        return;
    // Clients read the status code, never the phrase after it.
    QByteArray out = "HTTP/1.1 " + QByteArray::number(reply.status) + " Reply\r\n";
    if (!reply.contentType.isEmpty())
        out += "Content-Type: " + reply.contentType + "\r\n";
    if (reply.sendLength && !reply.endless)
        out += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
    out += reply.extraHeaders + "Connection: close\r\n\r\n" + reply.body;
    if (!sendAll(client, out.constData(), out.size(), m_stop))
        return;
    m_sent += reply.body.size();
    if (!reply.endless)
        return;
    QByteArray garbage(64 * 1024, '\0');
    for (qsizetype i = 0; i < garbage.size(); ++i)
        garbage[i] = char((i * 7919) % 251 + 1);
    const bool trickle = reply.trickle.count() > 0;
    for (qsizetype i = 0; !m_stop; ++i) {
        const qsizetype size = trickle ? 1 : garbage.size();
        if (!sendAll(client, garbage.constData() + (trickle ? i % 64 : 0), size, m_stop)) {
            m_hungUp = !m_stop;
            return;
        }
        m_sent += size;
        std::this_thread::sleep_for(reply.trickle);
    }
}

} // namespace vornap::test
