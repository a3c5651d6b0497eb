// The running copy's ear for later ones, the same on every platform; whether the peer is this user
// is each platform's own (SingleInstance.cpp, SingleInstanceWindows.cpp).
#include "app/SingleInstance.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>

#include <algorithm>

namespace qv7 {

namespace {
constexpr char RaiseWord[] = "raise\n";
// The running copy's answer once its window was brought to the front.
constexpr char RaisedWord[] = "raised\n";
} // namespace

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
                if (socket->readLine() == RaiseWord) {
                    emit raiseRequested();
                    socket->write(RaisedWord);
                }
                socket->disconnectFromServer();
            });
        }
    });
    return true;
}

bool InstanceChannel::askToRaise(const QString& path, int timeoutMs) {
    // One limit for the whole exchange: a copy that accepts the connection but never answers (it
    // hangs) is no copy that raised its window.
    const QDeadlineTimer deadline(timeoutMs);
    const auto left = [&deadline] { return static_cast<int>(std::max<qint64>(deadline.remainingTime(), 0)); };
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(left()) || !peerIsThisUser(socket)) return false;
    socket.write(RaiseWord);
    if (!socket.waitForBytesWritten(left())) return false;
    while (!socket.canReadLine() && !deadline.hasExpired() && socket.state() == QLocalSocket::ConnectedState)
        socket.waitForReadyRead(left());
    return socket.canReadLine() && socket.readLine() == RaisedWord;
}

} // namespace qv7
