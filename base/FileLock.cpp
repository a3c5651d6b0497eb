#include "base/FileLock.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fstream>
#include <mutex>
#include <sstream>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace qv7 {

namespace {

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

// The wake-up of a lock wait: its handler does nothing, it only makes the blocked flock return EINTR.
int wakeSignal() {
    static const int signal = SIGRTMIN + 7;
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action {};
        action.sa_handler = [](int) {};
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0; // no SA_RESTART: the flock must come back
        ::sigaction(signal, &action, nullptr);
    });
    return signal;
}

timespec timespecOf(std::chrono::nanoseconds span) {
    return {static_cast<time_t>(span.count() / 1000000000), static_cast<long>(span.count() % 1000000000)};
}

} // namespace

int lockExclusive(int fd, std::chrono::milliseconds wait) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return 0;
    if (errno != EWOULDBLOCK) return errno;
    if (wait.count() <= 0) return ETIMEDOUT;
    sigevent event{};
    event.sigev_notify = SIGEV_THREAD_ID;
    event.sigev_signo = wakeSignal();
    event._sigev_un._tid = ::gettid(); // glibc names no field for it before 2.35
    timer_t timer{};
    if (::timer_create(CLOCK_MONOTONIC, &event, &timer) != 0) return errno;
    // The timer fires at the deadline and then every few milliseconds, so that a signal that came
    // just before the flock began cannot leave it blocked for good.
    itimerspec timing{};
    timing.it_value = timespecOf(wait);
    timing.it_interval = timespecOf(std::chrono::milliseconds(5));
    const auto deadline = std::chrono::steady_clock::now() + wait;
    int error = ::timer_settime(timer, 0, &timing, nullptr) == 0 ? EINTR : errno;
    while (error == EINTR) {
        if (::flock(fd, LOCK_EX) == 0)
            error = 0;
        else if (errno != EINTR)
            error = errno;
        else if (std::chrono::steady_clock::now() >= deadline)
            error = ETIMEDOUT;
    }
    ::timer_delete(timer);
    return error;
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

} // namespace qv7
