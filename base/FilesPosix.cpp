// base/Files.h on POSIX systems (Linux): the kernel decides what a save may open, and the
// replacement is made beside the file that open reached.
#include "base/Files.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <mutex>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv7 {

namespace {

constexpr std::size_t DefaultNameMax = 255;
constexpr int TemporaryAttempts = 100;

int lastError() {
    return errno != 0 ? errno : EIO;
}

// Every byte down, or false with errno set. A descriptor left non-blocking by whoever opened it (a
// pipe shared with another program) is waited on rather than given up.
bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd ready{fd, POLLOUT, 0};
            if (::poll(&ready, 1, -1) < 0 && errno != EINTR) return false;
            continue;
        }
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// A stream, a device or a pipe takes the bytes as they come; there is nothing to replace.
int writeThrough(int fd, std::string_view bytes) {
    errno = 0;
    return writeAll(fd, bytes) ? 0 : lastError();
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether `name` in the folder open on `dir` is still the file `info` describes.
bool stillThere(int dir, const std::string& name, const struct stat& info) {
    struct stat now {};
    return ::fstatat(dir, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 && sameFile(now, info);
}

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    // Closes now and says whether the close went well (errno set otherwise).
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

std::string randomPart() {
    static constexpr char Characters[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    unsigned char bytes[TemporaryRandomLength] = {};
    std::size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t n = ::getrandom(bytes + got, sizeof bytes - got, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    // Without the kernel's randomness (never seen) the O_EXCL retries still keep names apart.
    static std::atomic<unsigned> serial{0};
    const unsigned fallback = serial++ ^ static_cast<unsigned>(::getpid());
    std::string random;
    for (std::size_t i = 0; i < sizeof bytes; ++i)
        random += Characters[(bytes[i] ^ (i < got ? 0u : fallback >> (i % 4 * 8))) % (sizeof Characters - 1)];
    return random;
}

std::size_t nameMaxOf(int dir) {
    const long max = ::fpathconf(dir, _PC_NAME_MAX);
    return max > 0 ? static_cast<std::size_t>(max) : DefaultNameMax;
}

// A save killed between its write and its rename (a signal, a power cut) leaves its temporary file;
// the next save of the same file clears it away. Only a regular file of the caller's own whose lock
// is free is dead for sure: a save still writing holds its lock (in whatever PID namespace it runs),
// and a name planted by someone else is left where it is.
void removeStaleTemporaries(int dir, const std::string& base, std::size_t nameMax) {
    const int listing = ::dup(dir);
    if (listing < 0) return;
    DIR* entries = ::fdopendir(listing);
    if (entries == nullptr) {
        ::close(listing);
        return;
    }
    while (const dirent* entry = ::readdir(entries)) {
        const std::string name = entry->d_name;
        if (!isTemporaryName(base, name, nameMax)) continue;
        const Descriptor fd(
            ::openat(dir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat info {};
        if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
            info.st_uid != ::geteuid())
            continue;
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0 && stillThere(dir, name, info))
            ::unlinkat(dir, name.c_str(), 0);
    }
    ::closedir(entries);
}

// A new temporary file in `dir`, locked; `lock` keeps the lock once the file is closed.
int createTemporary(int dir, const std::string& base, mode_t mode, std::string& name) {
    const std::size_t nameMax = nameMaxOf(dir);
    removeStaleTemporaries(dir, base, nameMax);
    for (int attempt = 0; attempt < TemporaryAttempts; ++attempt) {
        name = temporaryName(base, randomPart(), nameMax);
        errno = 0;
        const int fd =
            ::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return -1;
        struct stat info {};
        // Another save's clean-up may have judged it dead between its creation and the lock.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &info) == 0 && stillThere(dir, name, info))
            return fd;
        ::close(fd);
    }
    errno = EEXIST;
    return -1;
}

// The kernel's rule for regular files in sticky shared folders (fs.protected_regular), which it
// applies only to opens that may create: the shell's "> file" meets it, so a save meets it too.
bool protectedRegular(const struct stat& folder, const struct stat& file) {
    int level = 0;
    std::ifstream("/proc/sys/fs/protected_regular") >> level;
    const bool shared = (folder.st_mode & S_ISVTX) != 0 &&
                        ((folder.st_mode & S_IWOTH) != 0 || (level >= 2 && (folder.st_mode & S_IWGRP) != 0));
    return level >= 1 && shared && file.st_uid != ::geteuid() && file.st_uid != folder.st_uid;
}

// The new name over the old: over the file the open reached, or, for a new file, onto no file
// at all (a name that appeared meanwhile is not overwritten).
int renameOver(int dir, const std::string& temporary, const std::string& base, bool replaces) {
    errno = 0;
    if (replaces) return ::renameat(dir, temporary.c_str(), dir, base.c_str()) == 0 ? 0 : lastError();
    if (::renameat2(dir, temporary.c_str(), dir, base.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return lastError();
    // A file system without RENAME_NOREPLACE: a hard link fails on an existing name just as well.
    errno = 0;
    if (::linkat(dir, temporary.c_str(), dir, base.c_str(), 0) == 0) {
        ::unlinkat(dir, temporary.c_str(), 0);
        return 0;
    }
    if (errno != EPERM && errno != ENOTSUP) return lastError();
    errno = 0;
    return ::renameat(dir, temporary.c_str(), dir, base.c_str()) == 0 ? 0 : lastError();
}

// Writes `bytes` to a temporary beside `base` in `dir` and renames it over `base`. `old` is the
// file replaced (its owner, group and mode are kept), null for a new file.
int replaceIn(int dir, const std::string& base, std::string_view bytes, const struct stat* old,
              const std::function<int()>& beforeRename) {
    std::string temporary;
    errno = 0;
    Descriptor file(createTemporary(dir, base, old ? 0600 : 0666, temporary));
    if (file.get() < 0) return lastError();
    // The lock stays on while the file is closed and renamed, so no clean-up takes it for dead.
    const Descriptor lock(::dup(file.get()));
    int error = lock.get() < 0 ? lastError() : 0;
    if (error == 0 && old != nullptr && ::fchown(file.get(), old->st_uid, old->st_gid) != 0) {
        // A caller who owns the file but not its group keeps the file theirs; anyone else would take it over.
        if (errno != EPERM || old->st_uid != ::geteuid()) error = lastError();
    }
    errno = 0;
    // The mode after the owner: a change of owner clears set-id bits.
    if (error == 0 && old != nullptr && ::fchmod(file.get(), old->st_mode & 07777) != 0) error = lastError();
    errno = 0;
    if (error == 0 && (!writeAll(file.get(), bytes) || ::fsync(file.get()) != 0)) error = lastError();
    errno = 0;
    if (!file.close() && error == 0) error = lastError();
    if (error == 0 && beforeRename) error = beforeRename();
    // The file the open reached must still be the one replaced.
    if (error == 0 && old != nullptr && !stillThere(dir, base, *old)) error = ESTALE;
    if (error == 0) error = renameOver(dir, temporary, base, old != nullptr);
    if (error != 0) {
        ::unlinkat(dir, temporary.c_str(), 0);
        return error;
    }
    // The rename is only lasting once the folder that holds the new name is on the disk too. Some
    // file systems cannot sync a folder (EINVAL); their renames are as lasting as they get.
    errno = 0;
    return ::fsync(dir) == 0 || errno == EINVAL ? 0 : lastError();
}

// The real path of the file open on `fd`, as the kernel tracks it; empty when it cannot say.
std::string pathOfDescriptor(int fd) {
    std::string path(PATH_MAX, '\0');
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t length = ::readlink(link.c_str(), path.data(), path.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= path.size() || path[0] != '/') return {};
    path.resize(static_cast<std::size_t>(length));
    return path;
}

// A regular file the open on `fd` reached under the name `path`: replaced in its own folder.
int replaceReached(int fd, const struct stat& info, const std::string& path, std::string_view bytes,
                   const std::function<int()>& beforeRename) {
    std::string real = pathOfDescriptor(fd);
    if (real.empty()) real = path; // no /proc: the name itself, if it is no link (checked below)
    const std::string base = baseOf(real);
    errno = 0;
    const Descriptor dir(::open(folderOf(real).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0) return lastError();
    struct stat folder {};
    if (::fstat(dir.get(), &folder) != 0) return lastError();
    // Renamed, removed or reached through a link while /proc was missing: no folder known to hold it.
    if (!stillThere(dir.get(), base, info)) return ESTALE;
    if (protectedRegular(folder, info)) return EACCES;
    return replaceIn(dir.get(), base, bytes, &info, beforeRename);
}

// A name that names no file yet: made in the named folder, the folder's own links followed by the
// kernel.
int saveNew(const std::string& path, std::string_view bytes, const std::function<int()>& beforeRename) {
    const std::string base = baseOf(path);
    if (base.empty() || base == "." || base == "..") return EISDIR;
    errno = 0;
    const Descriptor dir(::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0) return lastError();
    return replaceIn(dir.get(), base, bytes, nullptr, beforeRename);
}

int saveOpened(int fd, const std::string& path, std::string_view bytes,
               const std::function<int()>& beforeRename) {
    struct stat info {};
    errno = 0;
    if (::fstat(fd, &info) != 0) return lastError();
    if (S_ISREG(info.st_mode)) return replaceReached(fd, info, path, bytes, beforeRename);
    if (S_ISDIR(info.st_mode)) return EISDIR;
    if (!S_ISCHR(info.st_mode) && !S_ISFIFO(info.st_mode) && !S_ISSOCK(info.st_mode)) return ENOTSUP;
    // Opened without waiting for a reader; the bytes themselves are written as the shell would.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return writeThrough(fd, bytes);
}

bool allDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

void ignoreFileSizeSignal() {
    static std::once_flag once;
    std::call_once(once, [] { std::signal(SIGXFSZ, SIG_IGN); });
}

int heldStream(const std::string& path) {
    if (path == StandardOutputName || path == "/dev/stdout") return STDOUT_FILENO;
    if (path == "/dev/stderr") return STDERR_FILENO;
    for (const std::string_view prefix : {std::string_view("/dev/fd/"), std::string_view("/proc/self/fd/")}) {
        if (!path.starts_with(prefix)) continue;
        const std::string_view number = std::string_view(path).substr(prefix.size());
        int fd = -1;
        if (allDigits(number) &&
            std::from_chars(number.data(), number.data() + number.size(), fd).ec == std::errc())
            return fd;
    }
    return -1;
}

int saveWholeFile(const std::string& path, std::string_view bytes, const std::function<int()>& beforeRename) {
    ignoreFileSizeSignal();
    if (const int held = heldStream(path); held >= 0) return writeThrough(held, bytes);
    if (path.empty()) return ENOENT;
    // Not truncating, not creating, not waiting: the kernel follows the links it allows, refuses a
    // file the caller may not write and a FIFO nobody reads, and nothing is changed yet.
    constexpr int Open = O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK;
    errno = 0;
    const Descriptor fd(::open(path.c_str(), Open));
    if (fd.get() >= 0) return saveOpened(fd.get(), path, bytes, beforeRename);
    if (errno != ENOENT) return lastError();
    struct stat named {};
    if (::lstat(path.c_str(), &named) != 0 || !S_ISLNK(named.st_mode))
        return saveNew(path, bytes, beforeRename);
    // A link to no file: the kernel makes its target, as "> link" would, if it follows the link at all.
    errno = 0;
    const Descriptor made(::open(path.c_str(), Open | O_CREAT, 0666));
    if (made.get() < 0) return lastError();
    struct stat info {};
    const std::string real = pathOfDescriptor(made.get());
    const int error = saveOpened(made.get(), path, bytes, beforeRename);
    // The empty target made for the save goes again when the save failed.
    if (error != 0 && !real.empty() && ::fstat(made.get(), &info) == 0 && info.st_size == 0)
        ::unlink(real.c_str());
    return error;
}

int appendWhole(int fd, std::string_view bytes) {
    ignoreFileSizeSignal();
    struct stat info {};
    errno = 0;
    if (::fstat(fd, &info) != 0) return lastError();
    errno = 0;
    int error = writeAll(fd, bytes) ? 0 : lastError();
    errno = 0;
    if (error == 0 && ::fsync(fd) != 0) error = lastError();
    if (error == 0) return 0;
    // A record cut short would run into the next one: the file goes back to its old length.
    if (::ftruncate(fd, info.st_size) == 0) ::fsync(fd);
    return error;
}

FileRead readBoundedFile(int fd, std::size_t cap, std::size_t limit) {
    FileRead result;
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        result.error = lastError();
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        result.refusal = FileRead::Refusal::NotRegular;
        return result;
    }
    if (static_cast<unsigned long long>(info.st_size) > cap) {
        result.refusal = FileRead::Refusal::TooLarge;
        return result;
    }
    // A file that grew since fstat is read no further than the cap allows either.
    std::string bytes(std::min(cap + 1, limit), '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::pread(fd, bytes.data() + got, bytes.size() - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            result.error = lastError();
            return result;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    if (got > cap) {
        result.refusal = FileRead::Refusal::TooLarge;
        return result;
    }
    bytes.resize(got);
    result.bytes = std::move(bytes);
    return result;
}

FileRead readBoundedFile(const std::string& path, std::size_t cap, std::size_t limit) {
    errno = 0;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        FileRead result;
        result.error = lastError();
        return result;
    }
    FileRead result = readBoundedFile(fd, cap, limit);
    ::close(fd);
    return result;
}

} // namespace qv7
