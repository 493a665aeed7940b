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
    if (fd < 0)
        throw std::runtime_error("socket");
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 16) != 0) {
        ::close(fd);
        throw std::runtime_error("the test server cannot listen on 127.0.0.1");
    }
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    *port = ntohs(addr.sin_port);
    return fd;
}

// Short polls, so a stopping server never waits on a client.
bool waitReadable(int fd, const std::atomic<bool>& stop) {
    while (!stop) {
        pollfd p{fd, POLLIN, 0};
        const int r = ::poll(&p, 1, 20);
        if (r > 0)
            return true;
        if (r < 0 && errno != EINTR)
            return false;
    }
    return false;
}

// False when the client is gone; gives up quietly when the server stops.
bool sendAll(int fd, const char* data, qsizetype size, const std::atomic<bool>& stop) {
    while (size > 0 && !stop) {
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, 20) <= 0)
            continue;
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
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            request.headers[line.left(colon).trimmed().toLower()] = line.mid(colon + 1).trimmed();
    }
    const QUrl url = request.absoluteTarget() ? QUrl::fromEncoded(request.target)
                                              : QUrl::fromEncoded("http://local" + request.target);
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
    m_thread = std::thread([this] { run(); });
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

QStringList LocalHttpServer::paths() const {
    QStringList paths;
    for (const Request& request : requests())
        paths << request.path;
    return paths;
}

std::size_t LocalHttpServer::requestCount() const {
    std::lock_guard lock(m_mutex);
    return m_requests.size();
}

quint16 LocalHttpServer::closedPort() {
    quint16 port = 0;
    ::close(listenOnLoopback(&port));
    return port;
}

void LocalHttpServer::run() {
    while (waitReadable(m_listen, m_stop)) {
        const int client = ::accept(m_listen, nullptr, nullptr);
        if (client < 0)
            continue;
        answer(client);
        ::close(client);
    }
}

void LocalHttpServer::answer(int client) {
    QByteArray head;
    while (!head.contains("\r\n\r\n") && head.size() < 65536) {
        if (!waitReadable(client, m_stop))
            return;
        char buffer[4096];
        const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
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
    if (reply.closeAtOnce)
        return;
    if (reply.neverAnswer) {
        // Wait for the client to give up (it closes) or the server to stop.
        char buffer[256];
        while (waitReadable(client, m_stop) && ::recv(client, buffer, sizeof buffer, 0) > 0) {
        }
        return;
    }
    // Clients read the status code, never the phrase after it.
    QByteArray out = "HTTP/1.1 " + QByteArray::number(reply.status) + " Reply\r\n";
    if (!reply.contentType.isEmpty())
        out += "Content-Type: " + reply.contentType + "\r\n";
    if (reply.sendLength && !reply.endless)
        out += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
    out += reply.extraHeaders + "Connection: close\r\n\r\n";
    if (!sendAll(client, out.constData(), out.size(), m_stop) ||
        !sendAll(client, reply.body.constData(), reply.body.size(), m_stop))
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
        if (trickle)
            std::this_thread::sleep_for(reply.trickle);
    }
}

} // namespace vornap::test
