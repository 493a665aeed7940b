#include "localhttpserver.h"

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

void sendAll(int fd, const QByteArray& data) {
    qsizetype sent = 0;
    while (sent < data.size()) {
        const ssize_t n =
            ::send(fd, data.constData() + sent, size_t(data.size() - sent), MSG_NOSIGNAL);
        if (n <= 0)
            return;
        sent += n;
    }
}

const char* reason(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 404:
        return "Not Found";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

} // namespace

LocalHttpServer::LocalHttpServer(Handler handler) : m_handler(std::move(handler)) {
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    int yes = 1;
    ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (::bind(m_listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(m_listener, 16) != 0)
        throw std::runtime_error("the test server cannot listen on 127.0.0.1");
    socklen_t length = sizeof addr;
    ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&addr), &length);
    m_port = ntohs(addr.sin_port);
    m_thread = std::thread([this] { run(); });
}

LocalHttpServer::~LocalHttpServer() {
    m_stop = true;
    m_thread.join();
    ::close(m_listener);
}

std::vector<LocalHttpServer::Request> LocalHttpServer::requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

std::size_t LocalHttpServer::requestCount() const {
    std::lock_guard lock(m_mutex);
    return m_requests.size();
}

void LocalHttpServer::run() {
    while (waitReadable(m_listener, m_stop)) {
        const int client = ::accept(m_listener, nullptr, nullptr);
        if (client < 0)
            continue;
        serve(client);
        ::close(client);
    }
}

void LocalHttpServer::serve(int client) {
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
    Request request;
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
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(request);
    }

    const Response response = m_handler(request);
    if (response.closeAtOnce)
        return;
    if (response.neverAnswer) {
        // Wait for the client to give up (it closes) or the server to stop.
        char buffer[256];
        while (waitReadable(client, m_stop) && ::recv(client, buffer, sizeof buffer, 0) > 0) {
        }
        return;
    }
    QByteArray reply = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' +
                       reason(response.status) + "\r\nContent-Type: " + response.contentType +
                       "\r\nContent-Length: " + QByteArray::number(response.body.size()) +
                       "\r\nConnection: close\r\n\r\n" + response.body;
    sendAll(client, reply);
}

} // namespace vornap::test
