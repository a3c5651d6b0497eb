// One program per file on Windows: LockFileEx on the file itself, freed by the system when the
// holder closes it or dies. Windows does not name a lock's holder.
#include "base/FileLock.h"

#include "base/WindowsNames.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cerrno>
#include <thread>

namespace qv7 {

namespace {

// Windows' locks keep everybody else from reading or writing the bytes they cover. The lock covers
// one byte far past any data, so only lockers meet it and the file stays readable and writable.
OVERLAPPED lockedPlace() {
    OVERLAPPED place{};
    place.Offset = 0xFFFFFFFE;
    place.OffsetHigh = 0x7FFFFFFF;
    return place;
}

// 0 when this handle now holds the lock; ERROR_LOCK_VIOLATION when another does.
DWORD tryLock(HANDLE handle) {
    OVERLAPPED place = lockedPlace();
    if (::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &place) != 0)
        return 0;
    const DWORD error = ::GetLastError();
    return error == ERROR_IO_PENDING ? ERROR_LOCK_VIOLATION : error;
}

bool sameFile(HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION one{}, other{};
    return ::GetFileInformationByHandle(a, &one) != 0 && ::GetFileInformationByHandle(b, &other) != 0 &&
           one.dwVolumeSerialNumber == other.dwVolumeSerialNumber &&
           one.nFileIndexHigh == other.nFileIndexHigh && one.nFileIndexLow == other.nFileIndexLow;
}

} // namespace

// Windows has no lock wait that a time-out can end; the wait tries again every few milliseconds
// until the holder lets go or the time is up.
int lockExclusive(int fd, std::chrono::milliseconds wait) {
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    if (handle == INVALID_HANDLE_VALUE) return EBADF;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        const DWORD error = tryLock(handle);
        if (error == 0) return 0;
        if (error != ERROR_LOCK_VIOLATION) return errnoOfWindowsError(error);
        if (std::chrono::steady_clock::now() >= deadline) return ETIMEDOUT;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

FileLock::~FileLock() {
    unlock();
}

void FileLock::unlock() {
    if (fd_ >= 0) ::_close(fd_); // closing the handle releases the lock
    fd_ = -1;
}

FileLock::Outcome FileLock::lock(const std::string& path, bool readWrite) {
    unlock();
    holder_ = 0;
    error_ = 0;
    const std::wstring name = widePath(path);
    if (name.empty()) {
        error_ = EINVAL;
        return Outcome::Failed;
    }
    // Shared for deleting too: a save of the locked file replaces it under the holder's feet, as a
    // rename does on POSIX.
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const DWORD access = GENERIC_READ | (readWrite ? GENERIC_WRITE : 0);
    for (int attempt = 0; attempt < 3; ++attempt) {
        HANDLE handle =
            ::CreateFileW(name.c_str(), access, share, nullptr, readWrite ? OPEN_ALWAYS : OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            error_ = errnoOfWindowsError(::GetLastError());
            return Outcome::Failed;
        }
        if (const DWORD why = tryLock(handle); why != 0) {
            ::CloseHandle(handle);
            if (why == ERROR_LOCK_VIOLATION) return Outcome::Held;
            error_ = errnoOfWindowsError(why);
            return Outcome::Failed;
        }
        // Whether the name still leads to the file locked: one replaced meanwhile carries a lock
        // nobody else looks at any more.
        HANDLE named =
            ::CreateFileW(name.c_str(), 0, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        const bool still = named != INVALID_HANDLE_VALUE && sameFile(handle, named);
        if (named != INVALID_HANDLE_VALUE) ::CloseHandle(named);
        if (!still) {
            ::CloseHandle(handle);
            continue;
        }
        const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), readWrite ? 0 : _O_RDONLY);
        if (fd < 0) {
            ::CloseHandle(handle);
            error_ = EMFILE;
            return Outcome::Failed;
        }
        fd_ = fd;
        return Outcome::Locked;
    }
    error_ = EAGAIN;
    return Outcome::Failed;
}

FileLock::Outcome FileLock::lockNamed(const std::string& path, std::chrono::milliseconds wait) {
    unlock();
    holder_ = 0;
    error_ = 0;
    const std::wstring name = widePath(path);
    if (name.empty()) {
        error_ = EINVAL;
        return Outcome::Failed;
    }
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        HANDLE handle = ::CreateFileW(name.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            error_ = errnoOfWindowsError(::GetLastError());
            return Outcome::Failed;
        }
        const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY);
        if (fd < 0) {
            ::CloseHandle(handle);
            error_ = EMFILE;
            return Outcome::Failed;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (const int error = lockExclusive(fd, std::max(left, std::chrono::milliseconds(0))); error != 0) {
            ::_close(fd);
            error_ = error;
            return Outcome::Failed;
        }
        HANDLE named =
            ::CreateFileW(name.c_str(), 0, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        const bool still = named != INVALID_HANDLE_VALUE && sameFile(handle, named);
        if (named != INVALID_HANDLE_VALUE) ::CloseHandle(named);
        if (still) {
            fd_ = fd;
            return Outcome::Locked;
        }
        ::_close(fd); // the holder saved a new file under the name: that one is locked now
    }
}

} // namespace qv7
