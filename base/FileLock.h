// One program per indicator: an exclusive flock(2) on the device node (or on the file that stands
// for a simulated indicator), held while this object lives. The kernel frees it when the holder
// exits or dies, so no lock file can go stale or be planted by someone else, and every program
// meets the same lock whatever its environment. On Windows the lock is LockFileEx's on the file,
// and its holder is never known. Qt-free; used on one thread at a time.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace qv7 {

class FileLock {
public:
    enum class Outcome { Locked, Held, Failed };

    FileLock() = default;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

    // Opens `path` without blocking (read-only, or read-write and created when missing) and takes
    // the lock without waiting. Locked: this object holds it. Held: another program does, holder()
    // names it. Failed: the file did not open, error() says why.
    Outcome lock(const std::string& path, bool readWrite = false);
    // Opens the existing file `path` read-only and takes the lock, waiting at most `wait` for its
    // holder. A holder that saved meanwhile replaced the file by a rename: the name's new file is
    // opened and locked in its turn, so the lock held is always on the file the name names, and it
    // keeps out every other lockNamed of that name until this object lets go (after its own save).
    // Locked, or Failed with error(): ETIMEDOUT when the wait ran out, ENOENT when there is no file.
    Outcome lockNamed(const std::string& path, std::chrono::milliseconds wait);
    void unlock();

    bool locked() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    // After Held: the holder's process id, 0 when it cannot be known.
    long holder() const { return holder_; }
    int error() const { return error_; }

private:
    int fd_ = -1;
    long holder_ = 0;
    int error_ = 0;
};

// Takes an exclusive flock on `fd`, waiting at most `wait` for its holder to let go: tries again after
// pauses that grow from 1 ms to 50 ms, the last cut to the deadline, so the wait ends on time whatever
// signals the process blocks, and never spins. Returns 0, ETIMEDOUT when the wait ran out, or the
// system's error number.
int lockExclusive(int fd, std::chrono::milliseconds wait);

// The process holding a flock on the file of this device number and inode, as /proc/locks lists
// it ("1: FLOCK  ADVISORY  WRITE 1234 00:05:321 0 EOF"); 0 when it lists none.
long flockHolder(std::string_view procLocks, unsigned major, unsigned minor, unsigned long inode);

} // namespace qv7
