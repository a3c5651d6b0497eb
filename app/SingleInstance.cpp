#include "app/SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace qv7 {

SingleInstance::SingleInstance(const QString& directory)
    : path_(QDir(directory.isEmpty() ? defaultDirectory() : directory)
                .filePath(QString::fromLatin1(InstanceName))) {}

QString SingleInstance::defaultDirectory() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

bool SingleInstance::tryAcquire() {
    if (isHeld()) return true;
    lock_ = std::make_unique<QLockFile>(path_);
    // A live owner on this machine keeps the lock however long it runs (QLockFile checks the process
    // id and name it wrote). Age frees only a lock file that names no owner, as a crash between
    // creating and writing it leaves; without an age limit the tool would then never start again.
    lock_->setStaleLockTime(UnreadableLockAgeMs);
    return lock_->tryLock(0);
}

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
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(RaiseWord);
    if (!socket.waitForBytesWritten(timeoutMs)) return false;
    socket.waitForDisconnected(timeoutMs);
    return true;
}

} // namespace qv7
