// SingleInstance: makes sure only one copy of the tool runs per user. On POSIX the lock is an flock
// on the file "Zeq QV7CFG" in a folder only this user can write: the runtime directory when it is
// usable, or else the folder "qv7cfg" of the user's cache ($XDG_CACHE_HOME or ~/.cache; made 0700,
// owner and mode checked). The kernel frees the lock when its holder ends, so no file left behind,
// and none another user could plant, keeps the tool out. On Windows it is the named mutex
// "Zeq QV7CFG" of this user's session namespace, its name carrying the user's SID; the system
// destroys it with its holder. SingleInstance.cpp (POSIX), SingleInstanceWindows.cpp. Window
// thread, before any window exists.
#pragma once

#include "base/FileLock.h"

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace qv7 {

inline constexpr char InstanceName[] = "Zeq QV7CFG";

class SingleInstance {
public:
    // Takes nothing yet; `directory` empty means defaultDirectory().
    // On Windows, a `directory` given (tests) makes a mutex of its own for that folder.
    explicit SingleInstance(const QString& directory = {});
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this process now holds the lock. False when another copy holds it (failure() is
    // then empty) or when the lock cannot be had (failure() says why: no private folder, a file
    // that does not open). Does not wait.
    bool tryAcquire();
    bool isHeld() const;
    QString failure() const { return failure_; }

    // The lock file's path; on Windows the mutex's name, without its namespace.
    QString path() const { return path_; }

    // The runtime directory when it is a folder of this user's that no one else may write, else the
    // folder "qv7cfg" of the user's cache, made when missing; empty when that folder is not this
    // user's own either.
    static QString defaultDirectory();
    // Whether `folder` is a folder (not a link) owned by this user that no one else may write.
    static bool isPrivateFolder(const QString& folder);

    // Where the running copy listens for a second one (beside the lock file, so per user; on Windows
    // a named pipe that only this user may open).
    QString channelPath() const { return path_ + QStringLiteral(".socket"); }

private:
    QString directory_;
    QString path_;
    FileLock lock_;
    void* mutex_ = nullptr; // Windows: the mutex held
    QString failure_;
};

// The running copy's ear for later ones: a local socket beside the lock. A second copy that finds the
// lock held says "raise" on it, so the user sees the window that already runs instead of nothing.
// Both ends check that the other runs as the same user.
class InstanceChannel : public QObject {
    Q_OBJECT
public:
    explicit InstanceChannel(QString path, QObject* parent = nullptr);
    ~InstanceChannel() override;

    // Listens; only the lock's holder calls it (a socket file left by a copy that died is replaced).
    bool listen();
    // A second copy: asks the running one to raise its window, and to open `file` (an absolute name,
    // byte for byte) when one is given; false when none of this user said within `timeoutMs` that it
    // did (none listens, or the one that does hangs).
    static bool askToRaise(const QString& path, int timeoutMs = 2000, const QString& file = {});
    // The longest request line taken: "open " and a name of PATH_MAX bytes, each percent-encoded.
    static constexpr qint64 MaxRequest = 5 + 3 * 4096 + 1;
    // Whether the process at the other end of a connected local socket runs as this user.
    static bool peerIsThisUser(const QLocalSocket& socket);

signals:
    void raiseRequested();
    // After raiseRequested, queued (the second copy has had its answer): the file to open.
    void openRequested(const QString& file);

private:
    QString path_;
    QLocalServer* server_ = nullptr;
};

} // namespace qv7
