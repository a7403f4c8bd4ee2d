#pragma once
// One program per store folder: two programs writing one store would overwrite each other's
// notes. The first holds a lock file in the folder and listens on a local socket; a second
// start tells the first and leaves.

#include <QLockFile>
#include <QObject>
#include <memory>

class QLocalServer;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& storeDir, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this program is the one for the store folder (a lock left by a program that
    // crashed is taken over). False when another runs: it has been told, so leave.
    bool acquire();

Q_SIGNALS:
    // Another start for the same store folder asked this program to come forward.
    void activated();

private:
    bool tellRunning() const;

    QString m_storeDir;
    QString m_serverName;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
};
