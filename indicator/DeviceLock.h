// One program per indicator: a lock file per device in the runtime directory, held for as long as a
// program drives the indicator. qv7cfg and qv7ctl take the same file, so neither swallows the other's
// replies; the lock of a program that died is taken over. Component's thread.
#pragma once

#include <QLockFile>
#include <QString>

#include <string>

namespace qv7 {

// How old a lock file that names no holder must be before a program takes it over: one that is
// still being written has long been finished by then.
inline constexpr int UnreadableLockAgeMs = 10000;

class DeviceLock {
public:
    // key: the name of the device that every program sees alike (HidAccess::deviceKey).
    // directory: where the lock lives; empty for the runtime directory.
    explicit DeviceLock(const std::string& key, const QString& directory = {});

    // True when this program now holds the indicator; false when another one does.
    bool tryLock();
    // After a failed tryLock: the holder's process id (0 when it cannot be told).
    qint64 holderPid() const;
    QString path() const { return path_; }

    // The runtime directory; where there is none, /dev/shm, else the temporary directory.
    static QString defaultDirectory();
    // A file name for the key: its safe characters, then a hash that keeps apart keys that differ
    // only in the others.
    static QString fileName(const std::string& key);

private:
    QString path_;
    QLockFile lock_;
};

} // namespace qv7
