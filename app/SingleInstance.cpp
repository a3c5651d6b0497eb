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
    // Age never makes a lock stale: a tool may run for days. Only a dead owner does, which
    // QLockFile checks by the process id it wrote.
    lock_->setStaleLockTime(0);
    return lock_->tryLock(0);
}

} // namespace qv7
