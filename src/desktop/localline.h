#pragma once
// One line of text from a program to another on this machine, under a name both know: a local
// socket where the user alone may connect. Qt Network's local sockets would do, but link a
// network stack, Kerberos and proxy lookup into every start for one line.

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>

class QSocketNotifier;

class LocalLineServer : public QObject {
    Q_OBJECT
public:
    // The longest line taken; a longer one is cut off there.
    static constexpr int kMaxLine = 1024;

    using QObject::QObject;
    ~LocalLineServer() override;

    // Listens under `name`, taking the place of a socket left there by a crash. False with
    // *error when it cannot.
    bool listen(const QString& name, QString* error);
    void close();

    // Sends `line` (ending in a newline) to the program listening under `name`, and gives it
    // waitMs to take it. False when none listens.
    static bool send(const QString& name, const QByteArray& line, int waitMs);

Q_SIGNALS:
    // A line came, without its newline.
    void lineReceived(const QByteArray& line);

private:
    void accept();
    void read(int client);
    void drop(int client);

    struct Client {
        QSocketNotifier* notifier = nullptr;
        QByteArray line;
    };
    int m_fd = -1;
    QString m_path;
    QSocketNotifier* m_notifier = nullptr;
    QHash<int, Client> m_clients;
};
