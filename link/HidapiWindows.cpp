// HidapiAccess's system part on Windows: report lengths from the HID library's capabilities of the
// device (HidD_GetPreparsedData, HidP_GetCaps), and a named mutex per device path, since hidapi
// opens Windows devices shared and no lock on the device itself keeps a second program off.
#include "base/WindowsHandle.h"
#include "base/WindowsNames.h"
#include "link/HidapiPlatform.h"

#include <windows.h>

#include <winternl.h> // NTSTATUS, before the HID library's headers

// MinGW's HID headers declare C functions without saying so.
extern "C" {
#include <hidsdi.h>

#include <hidpi.h>
}

#include <cstdint>
#include <cwctype>
#include <vector>

namespace qv7 {

namespace {

using Handle = WindowsHandle;

// Whether the device's input reports carry an identifier other than 0 (hidapi then hands it over
// with the report, and leaves out a 0).
bool numbersInputReports(PHIDP_PREPARSED_DATA data, const HIDP_CAPS& caps) {
    if (caps.NumberInputValueCaps > 0) {
        std::vector<HIDP_VALUE_CAPS> values(caps.NumberInputValueCaps);
        USHORT count = caps.NumberInputValueCaps;
        if (::HidP_GetValueCaps(HidP_Input, values.data(), &count, data) == HIDP_STATUS_SUCCESS && count > 0)
            return values[0].ReportID != 0;
    }
    if (caps.NumberInputButtonCaps > 0) {
        std::vector<HIDP_BUTTON_CAPS> buttons(caps.NumberInputButtonCaps);
        USHORT count = caps.NumberInputButtonCaps;
        if (::HidP_GetButtonCaps(HidP_Input, buttons.data(), &count, data) == HIDP_STATUS_SUCCESS &&
            count > 0)
            return buttons[0].ReportID != 0;
    }
    return false;
}

// FNV-1a over the path as the system compares it (without case), for a mutex name of fixed length.
std::uint64_t pathHash(const std::wstring& path) {
    std::uint64_t hash = 14695981039346656037ull;
    for (wchar_t unit : path) {
        hash ^= static_cast<std::uint64_t>(std::towlower(static_cast<wint_t>(unit)));
        hash *= 1099511628211ull;
    }
    return hash;
}

// Held while the mutex object exists: the system destroys it when its last handle closes, the
// holder's end or death included.
struct MutexClaim : DeviceClaim {
    explicit MutexClaim(HANDLE mutex) : mutex(mutex) {}
    ~MutexClaim() override { ::CloseHandle(mutex); }
    MutexClaim(const MutexClaim&) = delete;
    MutexClaim& operator=(const MutexClaim&) = delete;
    HANDLE mutex;
};

} // namespace

std::optional<ReportDescriptorInfo> deviceReportLayout(const std::string&, const std::string& path) {
    const std::wstring name = widePath(path);
    if (name.empty()) return std::nullopt;
    // No access is needed to ask for the capabilities, so a device another program has open for
    // reading and writing still answers.
    Handle device(::CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                0, nullptr));
    if (!device.valid()) return std::nullopt;
    PHIDP_PREPARSED_DATA data = nullptr;
    if (!::HidD_GetPreparsedData(device.get(), &data)) return std::nullopt;
    HIDP_CAPS caps{};
    std::optional<ReportDescriptorInfo> layout;
    if (::HidP_GetCaps(data, &caps) == HIDP_STATUS_SUCCESS)
        layout = ReportDescriptorInfo{caps.InputReportByteLength, caps.OutputReportByteLength,
                                      numbersInputReports(data, caps)};
    ::HidD_FreePreparsedData(data);
    return layout;
}

std::unique_ptr<DeviceClaim> claimDevice(const std::string& path, long& holder) {
    holder = 0; // Windows does not say which process holds a mutex
    wchar_t name[64];
    ::swprintf(name, sizeof name / sizeof name[0], L"Global\\qv7-device-%016llx",
               static_cast<unsigned long long>(pathHash(widePath(path))));
    Handle mutex(::CreateMutexW(nullptr, FALSE, name));
    const DWORD error = ::GetLastError();
    if (mutex.valid() && error != ERROR_ALREADY_EXISTS) return std::make_unique<MutexClaim>(mutex.release());
    // Another program made it (one of another user's, which this one may not open, included).
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED) return nullptr;
    return std::make_unique<DeviceClaim>(); // no claim can be tried: the open says why it fails
}

} // namespace qv7
