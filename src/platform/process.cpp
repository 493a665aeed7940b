#include "platform/process.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSocketNotifier>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace vornap::platform {

#ifndef VORNAP_SHIPPED_FROM_PROGRAM
#define VORNAP_SHIPPED_FROM_PROGRAM "../share/vornap"
#endif

namespace {

QString absoluteClean(const QString& dir) {
    return QDir::cleanPath(QDir(dir).absolutePath());
}

const QByteArray kShowRequest = QByteArrayLiteral("show\n");

bool hasSkins(const QString& dir) {
    return QFileInfo(dir + QStringLiteral("/Skins")).isDir();
}

} // namespace

AppPathLayout resolveAppPath(const AppPathInputs& in) {
    const QString program = absoluteClean(in.programDir);
    QString shipped;
    if (!in.shippedFromProgram.isEmpty())
        shipped = QDir::cleanPath(program + u'/' + in.shippedFromProgram);
    if (!shipped.isEmpty() && !hasSkins(shipped))
        shipped.clear();
    if (!in.vornapHome.isEmpty()) {
        const QString home = absoluteClean(in.vornapHome);
        // A folder without skins would end the first start at the first skin
        // it loads: it gets the program's own data linked in, as an
        // installed copy's per-user folder does.
        if (hasSkins(home))
            return {home, {}};
        return {home, hasSkins(program) ? program : shipped};
    }
    if (hasSkins(program) || shipped.isEmpty())
        return {program, {}};
    QString dataHome = in.dataHome;
    if (dataHome.isEmpty() || QDir::isRelativePath(dataHome)) {
        if (in.home.isEmpty() || QDir::isRelativePath(in.home))
            return {program, {}}; // nowhere of the user's own to write to
        dataHome = in.home + QStringLiteral("/.local/share");
    }
    return {QDir::cleanPath(dataHome + QStringLiteral("/vornap")), shipped};
}

AppPathInputs currentAppPathInputs() {
    AppPathInputs in;
    in.vornapHome = qEnvironmentVariable("VORNAP_HOME");
    in.programDir = QCoreApplication::applicationDirPath();
    in.dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    in.home = qEnvironmentVariable("HOME");
    if (in.home.isEmpty()) {
        // Without $HOME, the account's home; Qt's own fallback would be "/".
        if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
            in.home = QFile::decodeName(pw->pw_dir);
    }
    in.shippedFromProgram = QStringLiteral(VORNAP_SHIPPED_FROM_PROGRAM);
    return in;
}

FileInstanceLock::FileInstanceLock(const QString& appPath) {
    // Keyed by the data directory, kept out of it: it may be read-only.
    const QByteArray key =
        QCryptographicHash::hash(QDir::cleanPath(appPath).toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    // Qt gives an empty path for a $TMPDIR that does not exist, which would
    // put the lock in whatever directory the player was started from.
    QString folder = QDir::tempPath();
    if (folder.isEmpty())
        folder = qEnvironmentVariable("TMPDIR");
    m_path = QDir(folder).filePath(QStringLiteral("vornap-%1.lock").arg(QString::fromLatin1(key)));
}

FileInstanceLock::~FileInstanceLock() {
    if (m_listener)
        ::unlink(QFile::encodeName(socketPath()).constData());
}

bool FileInstanceLock::previousInstance() {
    if (m_lock && m_lock->isLocked())
        return false;
    m_failure.clear();
    m_lock = std::make_unique<QLockFile>(m_path);
    m_lock->setStaleLockTime(0); // a lock left by a crashed player is stale at once
    if (m_lock->tryLock(0))
        return false;
    if (m_lock->error() == QLockFile::LockFailedError) {
        // A dead owner's lock is removed and taken over.
        if (m_lock->removeStaleLockFile() && m_lock->tryLock(0))
            return false;
        if (m_lock->error() == QLockFile::LockFailedError)
            return true;
    }
    // Taken for a running player, a lock that cannot be made at all would
    // end every start without a word.
    const QFileInfo folder(QFileInfo(m_path).absolutePath());
    QString reason = QStringLiteral("unknown error");
    if (!folder.exists())
        reason = QStringLiteral("the folder does not exist");
    else if (!folder.isDir())
        reason = QStringLiteral("that is not a folder");
    else if (m_lock->error() == QLockFile::PermissionError || !folder.isWritable())
        reason = QStringLiteral("permission denied");
    m_failure = QStringLiteral("its lock file %1 cannot be created (%2)")
                    .arg(QDir::toNativeSeparators(m_path), reason);
    return false;
}

QString FileInstanceLock::socketPath() const {
    return m_path.chopped(5) + QStringLiteral(".sock");
}

namespace {

bool socketAddress(const QString& path, sockaddr_un& address) {
    const QByteArray name = QFile::encodeName(path);
    if (name.size() >= qsizetype(sizeof address.sun_path))
        return false;
    address = {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.constData(), std::size_t(name.size()));
    return true;
}

} // namespace

// A plain socket rather than Qt's local socket: that would load the network
// library and the Kerberos and proxy libraries behind it at every start.
void FileInstanceLock::showRunningInstance() {
    sockaddr_un address;
    if (!socketAddress(socketPath(), address))
        return;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        pollfd ready{fd, POLLOUT, 0};
        if (::poll(&ready, 1, 1000) == 1)
            (void)::send(fd, kShowRequest.constData(), std::size_t(kShowRequest.size()),
                         MSG_NOSIGNAL);
    }
    ::close(fd);
}

// Listens on the socket and reads each later start's request.
class FileInstanceLock::Listener {
public:
    Listener(int fd, std::function<void()> handler)
        : m_fd(fd), m_handler(std::move(handler)), m_notifier(fd, QSocketNotifier::Read) {
        QObject::connect(&m_notifier, &QSocketNotifier::activated, [this] { accept(); });
    }
    ~Listener() {
        m_clients.clear();
        ::close(m_fd);
    }

private:
    struct Client {
        explicit Client(int fd) : fd(fd), notifier(fd, QSocketNotifier::Read) {}
        ~Client() { ::close(fd); }
        int fd;
        QSocketNotifier notifier;
        QByteArray received;
    };

    void accept() {
        for (int fd; (fd = ::accept4(m_fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC)) >= 0;) {
            auto client = std::make_unique<Client>(fd);
            QObject::connect(&client->notifier, &QSocketNotifier::activated,
                             [this, fd] { read(fd); });
            m_clients[fd] = std::move(client);
        }
    }
    void read(int fd) {
        Client& client = *m_clients[fd];
        char data[64];
        ssize_t n;
        while ((n = ::read(fd, data, sizeof data)) > 0 && client.received.size() < 1024)
            client.received.append(data, n);
        const bool asked = client.received.contains(kShowRequest);
        if (asked || n == 0 || (n < 0 && errno != EAGAIN) || client.received.size() >= 1024)
            m_clients.erase(fd);
        if (asked)
            m_handler();
    }

    int m_fd;
    std::function<void()> m_handler;
    QSocketNotifier m_notifier;
    std::map<int, std::unique_ptr<Client>> m_clients;
};

void FileInstanceLock::onShowRequest(std::function<void()> handler) {
    if (!m_lock || !m_lock->isLocked())
        return;
    m_listener.reset();
    const QString path = socketPath();
    sockaddr_un address;
    if (!socketAddress(path, address))
        return;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return;
    // Holding the lock, this player owns the name: a socket left there is a
    // dead player's. Only its own user may ask it anything: the socket is
    // made private in a private folder, then moved into place.
    QByteArray folder = QFile::encodeName(path) + ".XXXXXX";
    bool listening = false;
    if (::mkdtemp(folder.data())) {
        sockaddr_un inside;
        const QByteArray made = folder + "/s";
        listening = socketAddress(QFile::decodeName(made), inside) &&
                    ::bind(fd, reinterpret_cast<sockaddr*>(&inside), sizeof inside) == 0 &&
                    ::chmod(made.constData(), S_IRUSR | S_IWUSR) == 0 &&
                    ::rename(made.constData(), address.sun_path) == 0 && ::listen(fd, 8) == 0;
        ::unlink(made.constData());
        ::rmdir(folder.constData());
    }
    if (!listening) {
        ::close(fd);
        return;
    }
    m_listener = std::make_unique<Listener>(fd, std::move(handler));
}

void RealProcessControl::exitNow(int status) {
    std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace vornap::platform
