// The running copy's ear for later ones, the same on every platform; whether the peer is this user
// is each platform's own (SingleInstance.cpp, SingleInstanceWindows.cpp).
#include "app/SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace qv7 {

namespace {
constexpr char RaiseWord[] = "raise\n";
}

InstanceChannel::InstanceChannel(QString path, QObject* parent) : QObject(parent), path_(std::move(path)) {}

InstanceChannel::~InstanceChannel() = default;

bool InstanceChannel::listen() {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(path_);
    if (!server_->listen(path_)) return false;
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            if (!peerIsThisUser(*socket)) {
                socket->abort();
                continue;
            }
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                // Only the one word is understood; anything else is dropped with the connection.
                if (socket->bytesAvailable() > 64) return socket->abort();
                if (!socket->canReadLine()) return;
                if (socket->readLine() == RaiseWord) emit raiseRequested();
                socket->disconnectFromServer();
            });
        }
    });
    return true;
}

bool InstanceChannel::askToRaise(const QString& path, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(timeoutMs) || !peerIsThisUser(socket)) return false;
    socket.write(RaiseWord);
    if (!socket.waitForBytesWritten(timeoutMs)) return false;
    socket.waitForDisconnected(timeoutMs);
    return true;
}

} // namespace qv7
