#include "indicator/DeviceLock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace qv7 {

DeviceLock::DeviceLock(const std::string& key, const QString& directory)
    : path_(QDir(directory.isEmpty() ? defaultDirectory() : directory).filePath(fileName(key))),
      lock_(path_) {
    // A holder this machine can read keeps the lock while its process lives, however old the lock
    // (QLockFile checks the process id and name it wrote). Age frees only a lock file that names no
    // holder, as a program killed between creating and writing it leaves: without an age limit such
    // a file would keep every program from the indicator until it was deleted by hand.
    lock_.setStaleLockTime(UnreadableLockAgeMs);
}

bool DeviceLock::tryLock() {
    return lock_.tryLock(0);
}

qint64 DeviceLock::holderPid() const {
    qint64 pid = 0;
    QString hostname, application;
    return lock_.getLockInfo(&pid, &hostname, &application) ? pid : 0;
}

QString DeviceLock::defaultDirectory() {
    // Asked only when there is one: without it Qt warns on stderr and invents a directory per user.
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (!runtime.isEmpty()) return runtime;
    }
    // QLockFile syncs the file it writes: on a disk that costs a program's whole start-up, in memory
    // nothing. /dev/shm is the memory-backed directory every Linux system has.
    const QFileInfo shared(QStringLiteral("/dev/shm"));
    if (shared.isDir() && shared.isWritable()) return shared.filePath();
    return QDir::tempPath();
}

QString DeviceLock::fileName(const std::string& key) {
    QString safe;
    for (char c : key) {
        const bool plain =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
        safe += plain ? QChar::fromLatin1(c) : QChar(u'_');
    }
    const QByteArray hash =
        QCryptographicHash::hash(QByteArray::fromStdString(key), QCryptographicHash::Sha1);
    return QStringLiteral("qv7-device-%1-%2.lock")
        .arg(safe.right(40), QString::fromLatin1(hash.toHex().left(8)));
}

} // namespace qv7
