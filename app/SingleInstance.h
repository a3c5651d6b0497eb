// SingleInstance: makes sure only one copy of the tool runs. The lock is a QLockFile named
// "Zeq QV7CFG" in the user's runtime directory (the temporary directory when there is none); a
// lock left behind by a process that died, or left empty for 10 s, is taken over. Window thread,
// before any window exists.
#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

namespace qv7 {

inline constexpr char InstanceName[] = "Zeq QV7CFG";

// How old a lock file that names no holder must be before a program takes it over: one that is
// still being written has long been finished by then.
inline constexpr int UnreadableLockAgeMs = 10000;

class SingleInstance {
public:
    // Takes nothing yet; `directory` empty means the runtime directory.
    explicit SingleInstance(const QString& directory = {});

    // True when this process now holds the lock; false when another live process holds it or the
    // lock file cannot be made. Does not wait.
    bool tryAcquire();
    bool isHeld() const { return lock_ && lock_->isLocked(); }

    // The lock file's path.
    QString path() const { return path_; }

    // The runtime directory, or the temporary directory when the system gives none.
    static QString defaultDirectory();

private:
    QString path_;
    std::unique_ptr<QLockFile> lock_;
};

} // namespace qv7
