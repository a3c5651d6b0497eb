// A Windows handle owned by one object and closed with it. Included by Windows-only files.
#pragma once

#include <windows.h>

namespace qv7 {

class WindowsHandle {
public:
    explicit WindowsHandle(HANDLE handle) : handle_(handle) {}
    ~WindowsHandle() {
        if (valid()) ::CloseHandle(handle_);
    }
    WindowsHandle(const WindowsHandle&) = delete;
    WindowsHandle& operator=(const WindowsHandle&) = delete;
    // Both INVALID_HANDLE_VALUE (CreateFileW) and nullptr (CreateMutexW) mean none.
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }
    // Closes now; false when the close failed (written data may not be down).
    bool close() {
        const bool ok = !valid() || ::CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return ok;
    }
    // Hands the handle over to the caller, who closes it.
    HANDLE release() {
        HANDLE handle = handle_;
        handle_ = nullptr;
        return handle;
    }

private:
    HANDLE handle_;
};

} // namespace qv7
