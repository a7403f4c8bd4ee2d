#include "platform/singleinstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

namespace {
constexpr QByteArrayView kShowRequest("show\n");
}

SingleInstance::SingleInstance(const QString& storeDir, QObject* parent)
    : QObject(parent), m_storeDir(QFileInfo(storeDir).canonicalFilePath()) {
    if (m_storeDir.isEmpty()) m_storeDir = QDir::cleanPath(QFileInfo(storeDir).absoluteFilePath());
    const QByteArray hash =
        QCryptographicHash::hash(m_storeDir.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    m_serverName = QStringLiteral("jotpin-") + QString::fromLatin1(hash);
}

SingleInstance::~SingleInstance() {
    if (m_server) m_server->close();
}

bool SingleInstance::acquire() {
    m_lock = std::make_unique<QLockFile>(m_storeDir + QStringLiteral("/.jotpin.lock"));
    // QLockFile takes over a lock whose process is gone, so a crash never blocks a start.
    m_lock->setStaleLockTime(0);
    QElapsedTimer waited;
    waited.start();
    while (!m_lock->tryLock(0)) {
        if (m_lock->error() != QLockFile::LockFailedError) break;  // folder not writable
        // The other program may still be starting: give it a moment to listen.
        if (tellRunning()) return false;
        if (waited.elapsed() > 3000) return false;
        QThread::msleep(100);
    }
    QLocalServer::removeServer(m_serverName);  // a socket left by a crash
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    m_server->listen(m_serverName);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = m_server->nextPendingConnection()) {
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                if (client->readAll().contains(kShowRequest.data())) Q_EMIT activated();
                client->disconnectFromServer();
            });
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        }
    });
    return true;
}

bool SingleInstance::tellRunning() const {
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(500)) return false;
    socket.write(kShowRequest.data(), kShowRequest.size());
    socket.waitForBytesWritten(500);
    socket.waitForDisconnected(500);
    return true;
}
