// Where a local socket is no Unix one: Qt Network's.
#include <QLocalServer>
#include <QLocalSocket>

#include "desktop/localline.h"

namespace {
QLocalServer* serverOf(QObject* owner) {
    return owner->findChild<QLocalServer*>(QString(), Qt::FindDirectChildrenOnly);
}
}  // namespace

LocalLineServer::~LocalLineServer() {
    close();
}

bool LocalLineServer::listen(const QString& name, QString* error) {
    close();
    QLocalServer::removeServer(name);  // a socket left by a crash
    auto* server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(name)) {
        *error = server->errorString();
        delete server;
        return false;
    }
    connect(server, &QLocalServer::newConnection, this, [this, server] {
        while (QLocalSocket* client = server->nextPendingConnection()) {
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                if (!client->canReadLine() && client->bytesAvailable() < kMaxLine) return;
                const QByteArray line = client->readLine(kMaxLine).trimmed();
                client->disconnectFromServer();
                Q_EMIT lineReceived(line);
            });
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        }
    });
    return true;
}

void LocalLineServer::close() {
    delete serverOf(this);
}

bool LocalLineServer::send(const QString& name, const QByteArray& line, int waitMs) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(waitMs)) return false;
    socket.write(line);
    socket.waitForBytesWritten(waitMs);
    socket.waitForDisconnected(waitMs);
    return true;
}
