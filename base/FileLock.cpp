#include "base/FileLock.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace qv7 {

namespace {

constexpr std::chrono::milliseconds MaxLockPause{50};

long holderOf(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return 0;
    std::ifstream file("/proc/locks");
    std::ostringstream text;
    text << file.rdbuf();
    return flockHolder(text.str(), major(info.st_dev), minor(info.st_dev),
                       static_cast<unsigned long>(info.st_ino));
}

// Whether `path` still names the file open on `fd`: a file replaced by a rename after it was
// opened carries a lock nobody else looks at any more.
bool stillNamed(int fd, const std::string& path) {
    struct stat open {
    }, named{};
    return ::fstat(fd, &open) == 0 && ::stat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

} // namespace

int lockExclusive(int fd, std::chrono::milliseconds wait) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + wait;
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return 0;
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) return errno;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return ETIMEDOUT;
        // A holder usually lets go within milliseconds (an append, a save); a long one is asked
        // after at most every 50 ms. No signal is involved, so none that is blocked can stall it.
        std::this_thread::sleep_for(std::min(pause, left));
        pause = std::min(pause * 2, MaxLockPause);
    }
}

FileLock::~FileLock() {
    unlock();
}

void FileLock::unlock() {
    if (fd_ >= 0) ::close(fd_); // closing the last descriptor releases the lock
    fd_ = -1;
}

FileLock::Outcome FileLock::lock(const std::string& path, bool readWrite) {
    unlock();
    holder_ = 0;
    error_ = 0;
    const int flags = O_NONBLOCK | O_CLOEXEC | O_NOCTTY | (readWrite ? O_RDWR | O_CREAT : O_RDONLY);
    for (int attempt = 0; attempt < 3; ++attempt) {
        errno = 0;
        const int fd = ::open(path.c_str(), flags, 0666);
        if (fd < 0) {
            error_ = errno != 0 ? errno : EIO;
            return Outcome::Failed;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int why = errno;
            holder_ = why == EWOULDBLOCK ? holderOf(fd) : 0;
            ::close(fd);
            if (why == EWOULDBLOCK) return Outcome::Held;
            error_ = why;
            return Outcome::Failed;
        }
        if (stillNamed(fd, path)) {
            fd_ = fd;
            return Outcome::Locked;
        }
        ::close(fd); // replaced meanwhile: lock the file that now has the name
    }
    error_ = EAGAIN;
    return Outcome::Failed;
}

FileLock::Outcome FileLock::lockNamed(const std::string& path, std::chrono::milliseconds wait) {
    unlock();
    holder_ = 0;
    error_ = 0;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        errno = 0;
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) {
            error_ = errno != 0 ? errno : EIO;
            return Outcome::Failed;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (const int error = lockExclusive(fd, std::max(left, std::chrono::milliseconds(0))); error != 0) {
            ::close(fd);
            error_ = error;
            return Outcome::Failed;
        }
        if (stillNamed(fd, path)) {
            fd_ = fd;
            return Outcome::Locked;
        }
        ::close(fd); // the holder saved a new file under the name: that one is locked now
    }
}

} // namespace qv7
