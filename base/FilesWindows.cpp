// Whole files on Windows: names as UTF-16 made from the UTF-8 bytes, a save written beside its file,
// flushed to the disk (FlushFileBuffers) and moved over it with MoveFileExW, which replaces the old
// file in one step and returns only once the move is on the disk too.
#include "base/Files.h"
#include "base/WindowsHandle.h"

#include "base/WindowsNames.h"

#include <windows.h>

#include <io.h>

#include <algorithm>
#include <cerrno>
#include <random>

namespace qv7 {

namespace {

// NTFS allows 255 UTF-16 units to a name; a UTF-8 name of 255 bytes never has more.
constexpr std::size_t NameMax = 255;
constexpr int TemporaryAttempts = 100;
// The bits of a replaced file's attributes that its new bytes keep.
constexpr DWORD KeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                 FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

using Handle = WindowsHandle;

int lastError() {
    return errnoOfWindowsError(::GetLastError());
}

std::string narrow(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string out(static_cast<std::size_t>(std::max(size, 0)), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), size, nullptr,
                          nullptr);
    return out;
}

std::size_t lastSeparator(const std::wstring& path) {
    return path.find_last_of(L"/\\");
}

std::wstring folderOf(const std::wstring& path) {
    const auto slash = lastSeparator(path);
    return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

std::wstring baseOf(const std::wstring& path) {
    const auto slash = lastSeparator(path);
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool writeAll(HANDLE handle, std::string_view bytes) {
    while (!bytes.empty()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (::WriteFile(handle, bytes.data(), chunk, &written, nullptr) == 0 || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

HANDLE openExisting(const std::wstring& name, DWORD access) {
    return ::CreateFileW(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// The name the system resolved an open file to: a symbolic link's final target.
std::wstring finalName(HANDLE handle) {
    std::wstring name(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD length = ::GetFinalPathNameByHandleW(handle, name.data(), static_cast<DWORD>(name.size()),
                                                         FILE_NAME_NORMALIZED);
        if (length == 0) return {};
        if (length < name.size()) {
            name.resize(length);
            return name;
        }
        name.resize(length + 1);
    }
    return {};
}

std::string randomPart() {
    static constexpr char Characters[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    static std::random_device seed; // the system's randomness (rand_s)
    std::string random;
    for (std::size_t i = 0; i < TemporaryRandomLength; ++i)
        random += Characters[seed() % (sizeof Characters - 1)];
    return random;
}

// A save killed between its write and its move leaves its temporary file; the next save of the
// same file clears it away. A save still writing has its temporary open, unshared, so the system
// refuses to delete that one.
void removeStaleTemporaries(const std::wstring& target) {
    const std::wstring folder = folderOf(target);
    const std::string base = narrow(baseOf(target));
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = folder + L"\\" + baseOf(target).substr(0, 8) + L"*";
    HANDLE search = ::FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0 &&
            isTemporaryName(base, narrow(found.cFileName), NameMax))
            ::DeleteFileW((folder + L"\\" + found.cFileName).c_str());
    } while (::FindNextFileW(search, &found) != 0);
    ::FindClose(search);
}

// A new temporary file beside `target`, open for writing and shared with nobody while it is written.
HANDLE createBeside(const std::wstring& target, std::wstring& temporary) {
    const std::wstring folder = folderOf(target);
    const std::string base = narrow(baseOf(target));
    for (int attempt = 0; attempt < TemporaryAttempts; ++attempt) {
        temporary = folder + L"\\" + widePath(temporaryName(base, randomPart(), NameMax));
        HANDLE handle = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS) return handle;
    }
    ::SetLastError(ERROR_FILE_EXISTS);
    return INVALID_HANDLE_VALUE;
}

// Puts the complete temporary file in the target's place in one step. A target that is open (a
// file its holder locks and saves, qv7ctl's simulated indicator's state) cannot be moved over;
// ReplaceFileW swaps the files' contents under the names instead.
int moveOver(const std::wstring& temporary, const std::wstring& target, bool replaces) {
    if (::MoveFileExW(temporary.c_str(), target.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0)
        return 0;
    const DWORD moveError = ::GetLastError();
    if (!replaces || (moveError != ERROR_ACCESS_DENIED && moveError != ERROR_SHARING_VIOLATION))
        return errnoOfWindowsError(moveError);
    if (::ReplaceFileW(target.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                       nullptr) != 0)
        return 0;
    // Without a backup name this error means the old file is gone and the new one still has its
    // temporary name: one more move finishes the save.
    if (::GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT &&
        ::MoveFileExW(temporary.c_str(), target.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0)
        return 0;
    return errnoOfWindowsError(moveError);
}

int replaceRegular(const std::wstring& target, std::string_view bytes,
                   const std::function<int()>& beforeRename) {
    const DWORD old = ::GetFileAttributesW(target.c_str());
    const bool replaces = old != INVALID_FILE_ATTRIBUTES;
    // A read-only file stays what it is, as Explorer leaves it.
    if (replaces && (old & FILE_ATTRIBUTE_READONLY) != 0) return EACCES;
    removeStaleTemporaries(target);
    std::wstring temporary;
    Handle file(createBeside(target, temporary));
    if (!file.valid()) return lastError();
    const bool ok = writeAll(file.get(), bytes) && ::FlushFileBuffers(file.get()) != 0;
    int error = ok ? 0 : lastError();
    if (!file.close() && error == 0) error = lastError();
    if (error == 0 && replaces)
        ::SetFileAttributesW(temporary.c_str(), (old & KeptAttributes) | FILE_ATTRIBUTE_NORMAL);
    if (error == 0 && beforeRename) error = beforeRename();
    if (error == 0) error = moveOver(temporary, target, replaces);
    if (error != 0) ::DeleteFileW(temporary.c_str());
    return error;
}

int writeThrough(HANDLE handle, std::string_view bytes) {
    return writeAll(handle, bytes) ? 0 : lastError();
}

FileRead readBounded(HANDLE handle, std::size_t cap, std::size_t limit) {
    FileRead result;
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        result.refusal = FileRead::Refusal::NotRegular;
        return result;
    }
    if (::GetFileInformationByHandle(handle, &info) == 0) {
        result.error = lastError();
        return result;
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        result.refusal = FileRead::Refusal::NotRegular;
        return result;
    }
    const unsigned long long size =
        (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (size > cap) {
        result.refusal = FileRead::Refusal::TooLarge;
        return result;
    }
    // A file that grew since is read no further than the cap allows either; each read says where
    // it starts, so the handle's own position does not matter.
    std::string bytes(std::min(cap + 1, limit), '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(got);
        at.OffsetHigh = static_cast<DWORD>(static_cast<unsigned long long>(got) >> 32);
        DWORD n = 0;
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - got, 1u << 30));
        if (::ReadFile(handle, bytes.data() + got, chunk, &n, &at) == 0) {
            if (::GetLastError() == ERROR_HANDLE_EOF) break;
            result.error = lastError();
            return result;
        }
        if (n == 0) break;
        got += n;
    }
    if (got > cap) {
        result.refusal = FileRead::Refusal::TooLarge;
        return result;
    }
    bytes.resize(got);
    result.bytes = std::move(bytes);
    return result;
}

} // namespace

std::wstring widePath(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int size = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                           static_cast<int>(utf8.size()), nullptr, 0);
    if (size <= 0) return {};
    std::wstring out(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                          out.data(), size);
    // A name with a zero inside would be cut short by the system.
    if (out.find(L'\0') != std::wstring::npos) return {};
    return out;
}

int errnoOfWindowsError(unsigned long error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_PRIVILEGE_NOT_HELD:
        return EACCES;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_INVALID_NAME:
        return EINVAL;
    case ERROR_CANT_RESOLVE_FILENAME:
        return ELOOP;
    case ERROR_NOT_SUPPORTED:
        return ENOTSUP;
    case ERROR_BUSY:
        return EBUSY;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_TOO_MANY_OPEN_FILES:
        return EMFILE;
    case ERROR_INVALID_HANDLE:
        return EBADF;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    default:
        return EIO;
    }
}

void ignoreFileSizeSignal() {} // Windows has no size-limit signal: a limit shows as a failed write

int heldStream(const std::string& path) {
    if (path == StandardOutputName || path == "/dev/stdout") return 1;
    if (path == "/dev/stderr") return 2;
    return -1;
}

int saveWholeFile(const std::string& path, std::string_view bytes, const std::function<int()>& beforeRename) {
    // Through the descriptor's own handle: the C library's text mode would add CRs.
    if (const int held = heldStream(path); held >= 0)
        return writeThrough(reinterpret_cast<HANDLE>(::_get_osfhandle(held)), bytes);
    if (path.empty()) return ENOENT;
    const std::wstring name = widePath(path);
    if (name.empty()) return EINVAL;
    std::wstring target = name;
    if (Handle probe(openExisting(name, 0)); probe.valid()) {
        const DWORD type = ::GetFileType(probe.get());
        if (type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE) {
            // A device (NUL, CON) or a pipe takes the bytes as they come; there is nothing to replace.
            probe.close();
            Handle stream(openExisting(name, GENERIC_WRITE));
            return stream.valid() ? writeThrough(stream.get(), bytes) : lastError();
        }
        BY_HANDLE_FILE_INFORMATION info{};
        if (type != FILE_TYPE_DISK || ::GetFileInformationByHandle(probe.get(), &info) == 0) return ENOTSUP;
        if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return EISDIR;
        // The system followed every link to this file: its target is replaced, the link stays.
        if ((::GetFileAttributesW(name.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            target = finalName(probe.get());
            if (target.empty()) return lastError();
        }
    } else if (::GetLastError() == ERROR_CANT_RESOLVE_FILENAME) {
        return ELOOP;
    }
    return replaceRegular(target, bytes, beforeRename);
}

int appendWhole(int fd, std::string_view bytes) {
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    if (handle == INVALID_HANDLE_VALUE) return EBADF;
    LARGE_INTEGER before{};
    if (::GetFileSizeEx(handle, &before) == 0) return lastError();
    const LARGE_INTEGER zero{};
    // The caller holds the file's lock, so its end is where this record goes.
    const bool ok = ::SetFilePointerEx(handle, zero, nullptr, FILE_END) != 0 && writeAll(handle, bytes) &&
                    ::FlushFileBuffers(handle) != 0;
    if (ok) return 0;
    const int error = lastError();
    // A record cut short would run into the next one: the file goes back to its old length.
    if (::SetFilePointerEx(handle, before, nullptr, FILE_BEGIN) != 0 && ::SetEndOfFile(handle) != 0)
        ::FlushFileBuffers(handle);
    return error;
}

FileRead readBoundedFile(int fd, std::size_t cap, std::size_t limit) {
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    if (handle == INVALID_HANDLE_VALUE) {
        FileRead result;
        result.error = EBADF;
        return result;
    }
    return readBounded(handle, cap, limit);
}

FileRead readBoundedFile(const std::string& path, std::size_t cap, std::size_t limit) {
    FileRead result;
    const std::wstring name = widePath(path);
    if (name.empty()) {
        result.error = EINVAL;
        return result;
    }
    Handle file(openExisting(name, GENERIC_READ));
    if (!file.valid()) {
        // A folder opens only for its attributes; it is no file to read.
        const DWORD attributes = ::GetFileAttributesW(name.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            result.refusal = FileRead::Refusal::NotRegular;
        else
            result.error = lastError();
        return result;
    }
    return readBounded(file.get(), cap, limit);
}

} // namespace qv7
