#include "app/SingleInstance.h"

#include "indicator/FileAccess.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

#include <algorithm>
#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv7 {

namespace {
constexpr char RaiseWord[] = "raise\n";
// "open " and the file's name bytes percent-encoded, so that no byte of a name ends the line.
constexpr char OpenWord[] = "open ";
// The running copy's answer once its window was brought to the front.
constexpr char RaisedWord[] = "raised\n";
} // namespace

SingleInstance::SingleInstance(const QString& directory)
    : directory_(directory.isEmpty() ? defaultDirectory() : directory),
      path_(directory_.isEmpty() ? QString() : QDir(directory_).filePath(QString::fromLatin1(InstanceName))) {
}

bool SingleInstance::isPrivateFolder(const QString& folder) {
    struct stat info {};
    return !folder.isEmpty() && ::lstat(fileNameBytes(folder).c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & 022) == 0;
}

QString SingleInstance::defaultDirectory() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (isPrivateFolder(runtime)) return runtime;
    // No runtime folder: one of ours in the user's own cache, never in a shared folder, where another
    // user could make it first and hold our lock or hear our socket.
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (!QDir::isAbsolutePath(cache)) cache = QDir(QDir::homePath()).filePath(QStringLiteral(".cache"));
    ::mkdir(fileNameBytes(cache).c_str(), 0700);
    const QString own = QDir(cache).filePath(QStringLiteral("qv7cfg"));
    ::mkdir(fileNameBytes(own).c_str(), 0700);
    return isPrivateFolder(own) ? own : QString();
}

bool SingleInstance::tryAcquire() {
    if (isHeld()) return true;
    failure_.clear();
    if (!isPrivateFolder(directory_)) {
        failure_ = directory_.isEmpty()
                       ? QStringLiteral("no folder of this user's own to keep the lock in")
                       : QStringLiteral("%1 is not a folder of this user's own").arg(directory_);
        return false;
    }
    switch (lock_.lock(fileNameBytes(path_), true)) {
    case FileLock::Outcome::Locked:
        return true;
    case FileLock::Outcome::Held:
        return false;
    case FileLock::Outcome::Failed:
        failure_ = QStringLiteral("%1: %2").arg(path_, QString::fromLocal8Bit(std::strerror(lock_.error())));
        return false;
    }
    return false;
}

InstanceChannel::InstanceChannel(QString path, QObject* parent) : QObject(parent), path_(std::move(path)) {}

InstanceChannel::~InstanceChannel() = default;

bool InstanceChannel::peerIsThisUser(const QLocalSocket& socket) {
    ucred peer{};
    socklen_t length = sizeof peer;
    const auto fd = static_cast<int>(socket.socketDescriptor());
    return fd >= 0 && ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 &&
           peer.uid == ::geteuid();
}

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
                // One request a connection: "raise" or "open NAME"; anything else, or a line longer
                // than any request, is dropped with the connection.
                if (socket->bytesAvailable() > MaxRequest) return socket->abort();
                if (!socket->canReadLine()) return;
                const QByteArray line = socket->readLine(MaxRequest + 1);
                const bool open = line.startsWith(OpenWord) && line.endsWith('\n') && line.size() > 6;
                if (line == RaiseWord || open) {
                    emit raiseRequested();
                    socket->write(RaisedWord);
                }
                socket->disconnectFromServer();
                if (!open) return;
                const QByteArray name = QByteArray::fromPercentEncoding(line.mid(5).chopped(1));
                QMetaObject::invokeMethod(
                    this, [this, file = fileNameFromBytes(name)] { emit openRequested(file); },
                    Qt::QueuedConnection);
            });
        }
    });
    return true;
}

bool InstanceChannel::askToRaise(const QString& path, int timeoutMs, const QString& file) {
    // One limit for the whole exchange: a copy that accepts the connection but never answers (it
    // hangs) is no copy that raised its window.
    const QDeadlineTimer deadline(timeoutMs);
    const auto left = [&deadline] { return static_cast<int>(std::max<qint64>(deadline.remainingTime(), 0)); };
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(left()) || !peerIsThisUser(socket)) return false;
    const std::string name = fileNameBytes(file);
    socket.write(file.isEmpty() ? QByteArray(RaiseWord)
                                : OpenWord + QByteArray::fromStdString(name).toPercentEncoding() + '\n');
    if (!socket.waitForBytesWritten(left())) return false;
    while (!socket.canReadLine() && !deadline.hasExpired() && socket.state() == QLocalSocket::ConnectedState)
        socket.waitForReadyRead(left());
    return socket.canReadLine() && socket.readLine() == RaisedWord;
}

} // namespace qv7
