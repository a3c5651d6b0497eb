// SingleInstance: makes sure only one copy of the tool runs. The lock is a QLockFile named
// "Zeq QV7CFG" in the user's runtime directory (the temporary directory when there is none); a
// lock left behind by a process that died, or left empty for 10 s, is taken over. Window thread,
// before any window exists.
#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

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

    // Where the running copy listens for a second one (beside the lock file, so per user).
    QString channelPath() const { return path_ + QStringLiteral(".socket"); }

private:
    QString path_;
    std::unique_ptr<QLockFile> lock_;
};

// The running copy's ear for later ones: a local socket beside the lock. A second copy that finds the
// lock held says "raise" on it, so the user sees the window that already runs instead of nothing.
class InstanceChannel : public QObject {
    Q_OBJECT
public:
    explicit InstanceChannel(QString path, QObject* parent = nullptr);
    ~InstanceChannel() override;

    // Listens; only the lock's holder calls it (a socket file left by a copy that died is replaced).
    bool listen();
    // A second copy: asks the running one to raise its window; false when none answered in time.
    static bool askToRaise(const QString& path, int timeoutMs = 2000);

signals:
    void raiseRequested();

private:
    QString path_;
    QLocalServer* server_ = nullptr;
};

} // namespace qv7
