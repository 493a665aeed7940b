#include "support/localhttp.h"

#include <arpa/inet.h>
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
        throw std::runtime_error("bind/listen");
    }
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    *port = ntohs(addr.sin_port);
    return fd;
}

void sendAll(int fd, const QByteArray& data) {
    qsizetype sent = 0;
    while (sent < data.size()) {
        const ssize_t n =
            ::send(fd, data.constData() + sent, size_t(data.size() - sent), MSG_NOSIGNAL);
        if (n <= 0)
            return; // the client gave up; that is its business
        sent += n;
    }
}

QByteArray reasonFor(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 404:
        return "Not Found";
    default:
        return "Status";
    }
}

} // namespace

LocalHttpServer::LocalHttpServer() {
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

QString LocalHttpServer::base() const {
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port);
}

QStringList LocalHttpServer::requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

quint16 LocalHttpServer::closedPort() {
    quint16 port = 0;
    ::close(listenOnLoopback(&port));
    return port;
}

void LocalHttpServer::run() {
    while (!m_stop) {
        pollfd p{m_listen, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0 || m_silent)
            continue;
        const int client = ::accept(m_listen, nullptr, nullptr);
        if (client < 0)
            continue;
        answer(client);
        ::close(client);
    }
}

void LocalHttpServer::answer(int client) {
    QByteArray request;
    char buffer[4096];
    while (!request.contains("\r\n\r\n") && request.size() < 65536) {
        pollfd p{client, POLLIN, 0};
        if (::poll(&p, 1, 2000) <= 0)
            return;
        const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
        if (n <= 0)
            return;
        request.append(buffer, n);
    }
    const QList<QByteArray> words = request.left(request.indexOf("\r\n")).split(' ');
    const QString path = words.size() >= 2 ? QString::fromLatin1(words[1]) : QString();

    Reply reply{404, "not found", {}};
    {
        std::lock_guard lock(m_mutex);
        m_requests << path;
        const auto it = m_replies.find(path);
        if (it != m_replies.end())
            reply = it->second;
    }
    QByteArray head =
        "HTTP/1.0 " + QByteArray::number(reply.status) + ' ' + reasonFor(reply.status) + "\r\n";
    if (reply.sendLength)
        head += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
    head += reply.extraHeaders + "Connection: close\r\n\r\n";
    sendAll(client, head);
    sendAll(client, reply.body);
}

} // namespace vornap::test
