#include "base/Files.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <mutex>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv7 {

namespace {

// Links followed before a save gives up with ELOOP, as the kernel does.
constexpr int MaxLinks = 40;
constexpr char TemporaryMark[] = ".tmp-";

int lastError() {
    return errno != 0 ? errno : EIO;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
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

// A new file beside `path`, created as open(…, 0666) creates one (the umask applies), under a name
// no other file has.
int createBeside(const std::string& path, std::string& temporary) {
    static std::atomic<unsigned> serial{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = path + TemporaryMark + std::to_string(::getpid()) + "-" + std::to_string(serial++);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// A save killed between its write and its rename (a signal, a power cut) leaves its temporary file;
// the next save of the same file clears it away.
void removeStaleTemporaries(const std::string& target) {
    DIR* dir = ::opendir(folderOf(target).c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = ::readdir(dir))
        if (isStaleTemporary(target, entry->d_name)) ::unlinkat(::dirfd(dir), entry->d_name, 0);
    ::closedir(dir);
}

// The rename is only lasting once the folder that holds the new name is on the disk too.
int syncFolder(const std::string& target) {
    const int fd = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return lastError();
    errno = 0;
    // Some file systems cannot sync a folder (EINVAL); their renames are as lasting as they get.
    const int error = ::fsync(fd) == 0 || errno == EINVAL ? 0 : lastError();
    ::close(fd);
    return error;
}

int replaceRegular(const std::string& target, std::string_view bytes,
                   const std::function<int()>& beforeRename) {
    removeStaleTemporaries(target);
    std::string temporary;
    errno = 0;
    const int fd = createBeside(target, temporary);
    if (fd < 0) return lastError();
    // A file that is replaced keeps its permissions.
    struct stat old {};
    const bool replaces = ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    errno = 0;
    bool ok =
        writeAll(fd, bytes) && (!replaces || ::fchmod(fd, old.st_mode & 07777) == 0) && ::fsync(fd) == 0;
    int error = ok ? 0 : lastError();
    errno = 0;
    if (::close(fd) != 0 && ok) error = lastError();
    if (error == 0 && beforeRename) error = beforeRename();
    errno = 0;
    if (error == 0 && std::rename(temporary.c_str(), target.c_str()) != 0) error = lastError();
    if (error != 0) {
        ::unlink(temporary.c_str());
        return error;
    }
    return syncFolder(target);
}

// A device or a pipe takes the bytes as they come; there is nothing to replace.
int writeThrough(int fd, std::string_view bytes) {
    errno = 0;
    return writeAll(fd, bytes) ? 0 : lastError();
}

int writeThrough(const std::string& path, std::string_view bytes) {
    errno = 0;
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return lastError();
    const int error = writeThrough(fd, bytes);
    ::close(fd);
    return error;
}

} // namespace

void ignoreFileSizeSignal() {
    static std::once_flag once;
    std::call_once(once, [] { std::signal(SIGXFSZ, SIG_IGN); });
}

bool isStaleTemporary(const std::string& target, const std::string& name) {
    const std::string prefix = baseOf(target) + TemporaryMark;
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return false;
    const std::string rest = name.substr(prefix.size()); // "PID-N"
    const auto dash = rest.find('-');
    if (dash == 0 || dash == std::string::npos || dash + 1 == rest.size()) return false;
    if (!std::all_of(rest.begin(), rest.end(), [](char c) { return c == '-' || (c >= '0' && c <= '9'); }))
        return false;
    if (rest.find('-', dash + 1) != std::string::npos || dash > 9) return false;
    const long pid = std::stol(rest.substr(0, dash));
    return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

int followLinks(const std::string& path, std::string& target) {
    target = path;
    for (int hop = 0; hop < MaxLinks; ++hop) {
        struct stat info {};
        if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return 0; // a new file, or the end
        std::string link(PATH_MAX, '\0');
        errno = 0;
        const ssize_t length = ::readlink(target.c_str(), link.data(), link.size());
        if (length < 0) return lastError();
        link.resize(static_cast<std::size_t>(length));
        target = link.starts_with('/') ? link : folderOf(target) + "/" + link;
    }
    return ELOOP;
}

int saveWholeFile(const std::string& path, std::string_view bytes, const std::function<int()>& beforeRename) {
    ignoreFileSizeSignal();
    if (path == StandardOutputName) return writeThrough(STDOUT_FILENO, bytes);
    struct stat info {};
    // stat follows every link, those of /proc (/dev/stdout) included, to the kind of the final file.
    if (::stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) return EISDIR;
        if (S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode)) return writeThrough(path, bytes);
        if (!S_ISREG(info.st_mode)) return ENOTSUP;
    }
    std::string target;
    if (const int error = followLinks(path, target); error != 0) return error;
    return replaceRegular(target, bytes, beforeRename);
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
