#include "app/SingleInstance.h"

#include <QDir>
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

} // namespace qv7
