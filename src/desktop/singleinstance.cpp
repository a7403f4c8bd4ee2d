#include "desktop/singleinstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>
#include <QThread>
#include <QTimer>

#include "desktop/localline.h"

SingleInstance::SingleInstance(const QString& storeDir, QString lockDir, int answerMs,
                               QObject* parent)
    : QObject(parent), m_storeDir(QFileInfo(storeDir).canonicalFilePath()), m_answerMs(answerMs) {
    if (m_storeDir.isEmpty()) m_storeDir = QDir::cleanPath(QFileInfo(storeDir).absoluteFilePath());
    const QByteArray hash =
        QCryptographicHash::hash(m_storeDir.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    m_serverName = QStringLiteral("jotpin-") + QString::fromLatin1(hash);
    if (lockDir.isEmpty())
        lockDir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    // The host name too: a home folder shared by several machines is one folder for them all.
    m_lockPath = lockDir + u'/' + m_serverName + u'-' + QSysInfo::machineHostName() +
                 QStringLiteral(".lock");
}

SingleInstance::~SingleInstance() {
    if (m_server) m_server->close();
}

SingleInstance::Start SingleInstance::acquire(QString* problem) {
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    // QLockFile takes over a lock whose process is gone, so a crash never blocks a start.
    m_lock->setStaleLockTime(0);
    QElapsedTimer waited;
    waited.start();
    bool locked = false;
    while (!(locked = m_lock->tryLock(0))) {
        if (m_lock->error() != QLockFile::LockFailedError) break;  // no lock can be made
        if (tellRunning()) return Start::AnotherRuns;
        // Held, yet nobody answers: a program still starting, or a lock nobody holds.
        if (waited.elapsed() > m_answerMs && takeOver()) {
            locked = true;
            break;
        }
        QThread::msleep(100);
    }
    if (!locked) {
        // One program per store all the same, by the socket alone.
        if (tellRunning()) return Start::AnotherRuns;
        if (problem)
            *problem = QStringLiteral("无法建立锁文件 %1，帖子可能无法保存。")
                           .arg(QDir::toNativeSeparators(m_lockPath));
    }
    listen(problem);
    return locked ? Start::Alone : Start::Unlocked;
}

void SingleInstance::release() {
    if (m_server) m_server->close();
    if (m_lock) m_lock->unlock();
}

bool SingleInstance::takeOver() {
    // Only the lock seen so far: one that changed was just made by another start.
    qint64 pid = 0;
    QString host;
    QString app;
    const bool readable = m_lock->getLockInfo(&pid, &host, &app);
    if (m_seenLock != std::make_tuple(readable, pid, host, app)) {
        m_seenLock = std::make_tuple(readable, pid, host, app);
        return false;
    }
    return m_lock->removeStaleLockFile() && m_lock->tryLock(0);
}

void SingleInstance::listen(QString* problem) {
    m_server = new LocalLineServer(this);
    QString error;
    if (!m_server->listen(m_serverName, &error)) {
        const QString why = QStringLiteral("一个程序对应一个帖子文件夹的检查无法启用：") + error;
        if (problem) *problem += (problem->isEmpty() ? QString() : QStringLiteral("\n")) + why;
        return;
    }
    connect(m_server, &LocalLineServer::lineReceived, this, [this](const QByteArray& line) {
        const QString request = QString::fromUtf8(line.trimmed());
        // After this handler has returned: what comes forward may run a menu of its own,
        // inside which the connection goes away.
        if (!request.isEmpty())
            QTimer::singleShot(0, this, [this, request] { Q_EMIT activated(request); });
    });
}

bool SingleInstance::tellRunning() const {
    return LocalLineServer::send(m_serverName, m_request, 500);
}
