#include "base/OpenFiles.h"

#include "base/WindowsNames.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>

namespace qv7 {

namespace {

// Binary, so that the C library adds no CR, and not handed to child processes.
OpenedFile openWide(const std::string& path, int flags) {
    const std::wstring name = widePath(path);
    if (name.empty()) return {-1, EINVAL};
    errno = 0;
    const int fd = ::_wopen(name.c_str(), flags | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
    return fd >= 0 ? OpenedFile{fd, 0} : OpenedFile{-1, errno != 0 ? errno : EIO};
}

HANDLE handleOf(int fd) {
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

} // namespace

OpenedFile openForAppend(const std::string& path) {
    return openWide(path, _O_RDWR | _O_APPEND | _O_CREAT);
}

OpenedFile openForReading(const std::string& path) {
    return openWide(path, _O_RDONLY);
}

void closeFile(int fd) {
    if (fd >= 0) ::_close(fd);
}

FileState fileState(int fd) {
    const HANDLE handle = handleOf(fd);
    if (handle == INVALID_HANDLE_VALUE) return {false, 0, EBADF};
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(handle) != FILE_TYPE_DISK) return {false, 0, 0};
    if (::GetFileInformationByHandle(handle, &info) == 0)
        return {false, 0, errnoOfWindowsError(::GetLastError())};
    const long long size = static_cast<long long>(
        (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    return {(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0, size, 0};
}

int byteAt(int fd, long long offset) {
    const HANDLE handle = handleOf(fd);
    if (handle == INVALID_HANDLE_VALUE || offset < 0) return -1;
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(static_cast<unsigned long long>(offset) & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(static_cast<unsigned long long>(offset) >> 32);
    unsigned char byte = 0;
    DWORD n = 0;
    return ::ReadFile(handle, &byte, 1, &n, &at) != 0 && n == 1 ? byte : -1;
}

} // namespace qv7
