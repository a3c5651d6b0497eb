#include "app/SingleInstance.h"

#include "indicator/FileAccess.h"

#include <QDir>
#include <QLocalSocket>

#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv7 {

SingleInstance::SingleInstance(const QString& directory)
    : directory_(directory.isEmpty() ? defaultDirectory() : directory),
      path_(directory_.isEmpty() ? QString() : QDir(directory_).filePath(QString::fromLatin1(InstanceName))) {
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::isHeld() const {
    return lock_.locked();
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

bool InstanceChannel::peerIsThisUser(const QLocalSocket& socket) {
    ucred peer{};
    socklen_t length = sizeof peer;
    const auto fd = static_cast<int>(socket.socketDescriptor());
    return fd >= 0 && ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 &&
           peer.uid == ::geteuid();
}

} // namespace qv7
