#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>

#include "desktop/localline.h"

namespace {

// Where a name's socket lies: where Qt's local sockets put it, so that a program built with
// them and one built without still find each other.
QString socketPath(const QString& name) {
    return QDir::tempPath() + u'/' + name;
}

bool addressOf(const QString& path, sockaddr_un* address) {
    const QByteArray bytes = QFile::encodeName(path);
    if (bytes.size() >= qsizetype(sizeof(address->sun_path))) return false;
    std::memset(address, 0, sizeof(*address));
    address->sun_family = AF_UNIX;
    std::memcpy(address->sun_path, bytes.constData(), size_t(bytes.size()));
    return true;
}

// Waits up to ms for fd to be ready for `events`.
bool waitFor(int fd, short events, int ms) {
    pollfd p{fd, events, 0};
    int n = 0;
    do {
        n = ::poll(&p, 1, ms);
    } while (n < 0 && errno == EINTR);
    return n > 0;
}

}  // namespace

LocalLineServer::~LocalLineServer() {
    close();
}

bool LocalLineServer::listen(const QString& name, QString* error) {
    close();
    const QString path = socketPath(name);
    sockaddr_un address{};
    // Made in a folder only the user may enter, then moved into place: no moment in which
    // another user could connect.
    QTemporaryDir privateDir(QDir::tempPath() + QStringLiteral("/jotpin-XXXXXX"));
    const QString madeAt = privateDir.filePath(QStringLiteral("s"));
    if (!privateDir.isValid() || !addressOf(path, &address) || !addressOf(madeAt, &address)) {
        *error = path + QStringLiteral(": 路径无效");
        return false;
    }
    m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::chmod(QFile::encodeName(madeAt).constData(), S_IRUSR | S_IWUSR) != 0 ||
        ::listen(m_fd, 16) != 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        close();
        return false;
    }
    QFile::remove(path);  // a socket left by a crash
    if (::rename(QFile::encodeName(madeAt).constData(), QFile::encodeName(path).constData()) != 0) {
        *error = path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
        close();
        return false;
    }
    m_path = path;
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &LocalLineServer::accept);
    return true;
}

void LocalLineServer::close() {
    for (auto it = m_clients.cbegin(); it != m_clients.cend(); ++it) {
        delete it->notifier;
        ::close(it.key());
    }
    m_clients.clear();
    delete m_notifier;
    m_notifier = nullptr;
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    if (!m_path.isEmpty()) QFile::remove(m_path);
    m_path.clear();
}

void LocalLineServer::accept() {
    for (;;) {
        const int client = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client < 0) return;  // none waiting any more
        auto* notifier = new QSocketNotifier(client, QSocketNotifier::Read, this);
        m_clients.insert(client, {notifier, {}});
        connect(notifier, &QSocketNotifier::activated, this, [this, client] { read(client); });
    }
}

void LocalLineServer::read(int client) {
    auto it = m_clients.find(client);
    if (it == m_clients.end()) return;
    char buffer[256];
    for (;;) {
        const ssize_t n = ::read(client, buffer, sizeof(buffer));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;  // the rest to come
        if (n <= 0) break;  // gone before the line ended: nothing asked
        QByteArray& line = it->line;
        const qsizetype end = QByteArray::fromRawData(buffer, n).indexOf('\n');
        line.append(buffer, end < 0 ? n : end);
        if (end >= 0 || line.size() >= kMaxLine) {
            line.truncate(kMaxLine);
            const QByteArray told = line;
            drop(client);
            Q_EMIT lineReceived(told);
            return;
        }
    }
    drop(client);
}

void LocalLineServer::drop(int client) {
    const Client gone = m_clients.take(client);
    // Off before its socket closes; deleted later, since its signal may be the one handled now.
    gone.notifier->setEnabled(false);
    gone.notifier->deleteLater();
    ::close(client);
}

bool LocalLineServer::send(const QString& name, const QByteArray& line, int waitMs) {
    sockaddr_un address{};
    if (!addressOf(socketPath(name), &address)) return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    int connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    if (connected != 0 && (errno == EAGAIN || errno == EINPROGRESS) &&
        waitFor(fd, POLLOUT, waitMs)) {
        int error = 0;
        socklen_t size = sizeof(error);
        connected =
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0 ? 0 : -1;
    }
    if (connected != 0) {
        ::close(fd);
        return false;
    }
    // Someone listens: the line is theirs to take, and they are given the time to.
    qsizetype written = 0;
    while (written < line.size() && waitFor(fd, POLLOUT, waitMs)) {
        const ssize_t n =
            ::send(fd, line.constData() + written, size_t(line.size() - written), MSG_NOSIGNAL);
        if (n < 0 && errno != EINTR && errno != EAGAIN) break;
        if (n > 0) written += n;
    }
    waitFor(fd, POLLIN, waitMs);  // closed once read
    ::close(fd);
    return true;
}
