#include "FakeHidapi.h"

#include <hidapi/hidapi.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cwchar>
#include <mutex>
#include <thread>

struct hid_device_ {
    std::size_t index;
    hid_device_info* info = nullptr; // hid_get_device_info's answer, owned by the handle
};

namespace qv7::fakehidapi {

State& state() {
    static State s;
    return s;
}

void reset() {
    std::lock_guard lock(mutex());
    state() = State{};
}

std::recursive_mutex& mutex() {
    static std::recursive_mutex m;
    return m;
}

namespace {

Device& deviceOf(hid_device* dev) {
    return state().devices.at(dev->index);
}

wchar_t* copyWide(const std::optional<std::wstring>& text) {
    if (!text) return nullptr;
    auto* out = new wchar_t[text->size() + 1];
    std::wmemcpy(out, text->c_str(), text->size() + 1);
    return out;
}

int getString(hid_device* dev, const std::optional<std::wstring>& text, wchar_t* string, size_t maxlen) {
    if (dev == nullptr || !text || maxlen == 0) return -1;
    const std::size_t n = std::min(text->size(), maxlen - 1);
    std::wmemcpy(string, text->c_str(), n);
    string[n] = L'\0';
    return 0;
}

// hidapi keeps one global error string that hid_init, hid_enumerate and hid_open_path rewrite
// without a lock; the fake does the same, outside its own lock, so that calls from two threads at
// once show up as the data race (and heap damage) they are with the real library.
wchar_t* lastGlobalError = nullptr;

void setGlobalError(const wchar_t* text) {
    delete[] lastGlobalError;
    lastGlobalError = copyWide(std::wstring(text));
}

} // namespace
} // namespace qv7::fakehidapi

using namespace qv7::fakehidapi;

extern "C" {

int hid_init(void) {
    setGlobalError(L"");
    std::lock_guard lock(mutex());
    ++state().initCalls;
    return 0;
}

int hid_exit(void) {
    std::lock_guard lock(mutex());
    ++state().exitCalls;
    return 0;
}

struct hid_device_info* hid_enumerate(unsigned short vendor_id, unsigned short product_id) {
    setGlobalError(L"No HID devices with requested VID/PID found in the system.");
    std::lock_guard lock(mutex());
    ++state().enumerateCalls;
    hid_device_info* head = nullptr;
    hid_device_info** tail = &head;
    for (const Device& d : state().devices) {
        if ((vendor_id != 0 && d.vid != vendor_id) || (product_id != 0 && d.pid != product_id)) continue;
        auto* info = new hid_device_info{};
        info->path = new char[d.path.size() + 1];
        std::memcpy(info->path, d.path.c_str(), d.path.size() + 1);
        info->vendor_id = d.vid;
        info->product_id = d.pid;
        info->serial_number = copyWide(d.serial);
        info->manufacturer_string = copyWide(d.manufacturer);
        info->product_string = copyWide(d.product);
        *tail = info;
        tail = &info->next;
    }
    return head;
}

void hid_free_enumeration(struct hid_device_info* devs) {
    std::lock_guard lock(mutex());
    while (devs != nullptr) {
        hid_device_info* next = devs->next;
        delete[] devs->path;
        delete[] devs->serial_number;
        delete[] devs->manufacturer_string;
        delete[] devs->product_string;
        delete devs;
        devs = next;
    }
}

hid_device* hid_open_path(const char* path) {
    setGlobalError(L"Failed to open a device with the requested path: No such file or directory");
    std::lock_guard lock(mutex());
    auto& devices = state().devices;
    for (std::size_t i = 0; i < devices.size(); ++i) {
        if (devices[i].path == path && devices[i].opens) {
            ++state().openHandles;
            return new hid_device_{i};
        }
    }
    return nullptr;
}

void hid_close(hid_device* dev) {
    std::lock_guard lock(mutex());
    if (dev == nullptr) return;
    --state().openHandles;
    hid_free_enumeration(dev->info);
    delete dev;
}

int hid_read_timeout(hid_device* dev, unsigned char* data, size_t length, int milliseconds) {
    {
        std::lock_guard lock(mutex());
        Device& d = deviceOf(dev);
        state().lastReadTimeout = milliseconds;
        state().lastReadLength = length;
        if (d.readFails) return -1;
        if (!d.reads.empty()) {
            const std::vector<std::uint8_t> report = d.reads.front();
            d.reads.pop_front();
            const std::size_t n = std::min(length, report.size());
            std::copy_n(report.begin(), n, data);
            return static_cast<int>(n);
        }
    }
    // Nothing to deliver: behave like a device that stays silent for the whole time-out.
    if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    return 0;
}

int hid_write(hid_device* dev, const unsigned char* data, size_t length) {
    std::lock_guard lock(mutex());
    deviceOf(dev).writes.emplace_back(data, data + length);
    return static_cast<int>(length);
}

struct hid_device_info* hid_get_device_info(hid_device* dev) {
    std::lock_guard lock(mutex());
    ++state().deviceInfoCalls;
    if (dev->info == nullptr) {
        const Device& d = deviceOf(dev);
        dev->info = new hid_device_info{};
        dev->info->path = new char[d.path.size() + 1];
        std::memcpy(dev->info->path, d.path.c_str(), d.path.size() + 1);
        dev->info->vendor_id = d.vid;
        dev->info->product_id = d.pid;
    }
    return dev->info;
}

int hid_get_manufacturer_string(hid_device* dev, wchar_t* string, size_t maxlen) {
    std::lock_guard lock(mutex());
    return getString(dev, deviceOf(dev).manufacturer, string, maxlen);
}

int hid_get_product_string(hid_device* dev, wchar_t* string, size_t maxlen) {
    std::lock_guard lock(mutex());
    return getString(dev, deviceOf(dev).product, string, maxlen);
}

int hid_get_serial_number_string(hid_device* dev, wchar_t* string, size_t maxlen) {
    std::lock_guard lock(mutex());
    return getString(dev, deviceOf(dev).serial, string, maxlen);
}

const wchar_t* hid_error(hid_device*) {
    return L"fake hidapi";
}

} // extern "C"
