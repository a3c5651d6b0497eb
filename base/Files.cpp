#include "base/Files.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv7 {

namespace {

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

// A new file beside `path`, created as open(…, 0666) creates one (the umask applies), under a name
// no other file has.
int createBeside(const std::string& path, std::string& temporary) {
    static std::atomic<unsigned> serial{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

} // namespace

int saveWholeFile(const std::string& path, std::string_view bytes, const std::function<int()>& beforeRename) {
    std::string temporary;
    errno = 0;
    const int fd = createBeside(path, temporary);
    if (fd < 0) return lastError();
    // A file that is replaced keeps its permissions.
    struct stat old {};
    const bool replaces = ::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    errno = 0;
    bool ok =
        writeAll(fd, bytes) && (!replaces || ::fchmod(fd, old.st_mode & 07777) == 0) && ::fsync(fd) == 0;
    int error = ok ? 0 : lastError();
    errno = 0;
    if (::close(fd) != 0 && ok) error = lastError();
    if (error == 0 && beforeRename) error = beforeRename();
    errno = 0;
    if (error == 0 && std::rename(temporary.c_str(), path.c_str()) != 0) error = lastError();
    if (error != 0) ::unlink(temporary.c_str());
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
