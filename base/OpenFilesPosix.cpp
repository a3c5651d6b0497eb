#include "base/OpenFiles.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv7 {

namespace {

OpenedFile opened(int fd) {
    return fd >= 0 ? OpenedFile{fd, 0} : OpenedFile{-1, errno != 0 ? errno : EIO};
}

} // namespace

OpenedFile openForAppend(const std::string& path) {
    errno = 0;
    return opened(
        ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666));
}

OpenedFile openForReading(const std::string& path) {
    errno = 0;
    return opened(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
}

void closeFile(int fd) {
    if (fd >= 0) ::close(fd);
}

FileState fileState(int fd) {
    struct stat info {};
    errno = 0;
    if (::fstat(fd, &info) != 0) return {false, 0, errno != 0 ? errno : EIO};
    return {S_ISREG(info.st_mode), static_cast<long long>(info.st_size), 0};
}

int byteAt(int fd, long long offset) {
    unsigned char byte = 0;
    return ::pread(fd, &byte, 1, static_cast<off_t>(offset)) == 1 ? byte : -1;
}

} // namespace qv7
