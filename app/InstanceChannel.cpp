// The running copy's ear for later ones, the same on every platform; whether the peer is this user
// is each platform's own (SingleInstance.cpp, SingleInstanceWindows.cpp).
#include "app/SingleInstance.h"

#include "indicator/FileAccess.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>

#include <algorithm>

namespace qv7 {

namespace {
constexpr char RaiseWord[] = "raise\n";
// "open " and the file's name bytes percent-encoded, so that no byte of a name ends the line.
constexpr char OpenWord[] = "open ";
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
