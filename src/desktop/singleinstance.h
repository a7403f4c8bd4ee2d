#pragma once
// One program per store folder on this machine: two programs writing one store would overwrite
// each other's notes. The first holds a lock file and listens on a local socket; a second start
// tells the first and leaves. The lock lies in a folder of this machine, never in the store:
// programs on other machines that share the store through a sync tool are expected, and a lock
// there would be overwritten by them in turn, or copied as a conflict. A second start passes
// on what it was asked to do (a word such as "show" or "new-note"), and the first does it.

#include <QLockFile>
#include <QObject>
#include <memory>
#include <optional>
#include <tuple>

class LocalLineServer;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // lockDir: a folder of this machine (empty: the runtime folder). answerMs: how long a
    // program that holds the lock may take to answer on its socket.
    explicit SingleInstance(const QString& storeDir, QString lockDir = {}, int answerMs = 1500,
                            QObject* parent = nullptr);
    // What this start asks of a program already running: "show" unless set.
    void setRequest(const QString& request) { m_request = request.toUtf8() + '\n'; }
    QString lockFilePath() const { return m_lockPath; }
    ~SingleInstance() override;

    enum class Start {
        Alone,        // this program is the one for the store folder
        AnotherRuns,  // another one runs and has been told: leave
        Unlocked,     // no lock can be made there (*problem says why): runs, alone by the socket
    };
    // A lock that no running program answers for (left by a crash, from another host name, a
    // garbled one, one naming a process that is no Jotpin) is taken over. A problem that
    // does not stop the start (no lock, no socket) is put in *problem.
    Start acquire(QString* problem);
    // Lets the next start be the one: the lock and the socket go.
    void release();

Q_SIGNALS:
    // Another start for the same store folder asked this program to do something ("show": to
    // come forward).
    void activated(const QString& request);

private:
    bool tellRunning() const;
    bool takeOver();
    void listen(QString* problem);

    QString m_storeDir;
    int m_answerMs;
    QByteArray m_request = QByteArrayLiteral("show\n");
    QString m_serverName;
    QString m_lockPath;
    std::unique_ptr<QLockFile> m_lock;
    std::optional<std::tuple<bool, qint64, QString, QString>>
        m_seenLock;  // readable, pid, host, app
    LocalLineServer* m_server = nullptr;
};
