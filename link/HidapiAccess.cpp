#include "link/HidapiAccess.h"

#include "link/HidapiPlatform.h"

#include <hidapi/hidapi.h>

#include <algorithm>
#include <mutex>
#include <vector>

namespace qv7 {
namespace {

// hidapi wants one hid_init before handles are opened from several threads; hid_exit is never
// called because handles may live until the process ends.
void initOnce() {
    static std::once_flag once;
    std::call_once(once, [] { hid_init(); });
}

// hid_enumerate and hid_open_path both rewrite hidapi's one global error string without a lock;
// the reader thread reopens its path while the window thread scans, so these calls take turns.
std::mutex& globalCalls() {
    static std::mutex m;
    return m;
}

constexpr std::size_t StringUnits = 257; // as many wide characters as a USB string descriptor holds

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::optional<std::string> optionalText(const wchar_t* text) {
    if (text == nullptr) return std::nullopt;
    return wideToUtf8(text);
}

class HidapiHandle : public HidHandle {
public:
    using Record = HidapiAccess::DeviceRecord;

    HidapiHandle(hid_device* device, std::optional<ReportDescriptorInfo> descriptor,
                 std::optional<Record> record)
        : device_(device), descriptor_(descriptor), record_(std::move(record)) {}
    ~HidapiHandle() override { hid_close(device_); }
    HidapiHandle(const HidapiHandle&) = delete;
    HidapiHandle& operator=(const HidapiHandle&) = delete;

    int readReport(std::uint8_t* buffer, std::size_t size, int timeoutMs) override {
        if (size == 0) return 0;
        // hidapi leaves out the identifier byte of an unnumbered device: put the 0 back in front
        // so the link sees every report in one shape.
        const bool numbered = descriptor_ && descriptor_->numbered;
        std::uint8_t* target = numbered ? buffer : buffer + 1;
        const std::size_t room = numbered ? size : size - 1;
        const int n = hid_read_timeout(device_, target, room, timeoutMs);
        if (n <= 0) return n;
        if (numbered) return n;
        buffer[0] = 0;
        return n + 1;
    }

    int writeReport(const std::uint8_t* buffer, std::size_t size) override {
        return hid_write(device_, buffer, size);
    }

    // From the scan that listed the path; a path opened without one asks about this device alone,
    // never for a list of every device.
    std::optional<HidAttributes> attributes() override {
        if (record_) return record_->attributes;
        const hid_device_info* info = hid_get_device_info(device_);
        if (info == nullptr) return std::nullopt;
        return HidAttributes{info->vendor_id, info->product_id};
    }

    std::optional<std::string> manufacturer() override {
        return record_ ? record_->manufacturer : text(&hid_get_manufacturer_string);
    }
    std::optional<std::string> product() override {
        return record_ ? record_->product : text(&hid_get_product_string);
    }
    std::optional<std::string> serialNumber() override {
        return record_ ? record_->serialNumber : text(&hid_get_serial_number_string);
    }

    std::optional<HidReportLengths> reportLengths() override {
        if (!descriptor_) return std::nullopt;
        return HidReportLengths{descriptor_->inputLength, descriptor_->outputLength};
    }

private:
    using StringCall = int (*)(hid_device*, wchar_t*, size_t);

    std::optional<std::string> text(StringCall call) {
        wchar_t units[StringUnits] = {};
        if (call(device_, units, StringUnits - 1) != 0) return std::nullopt;
        units[StringUnits - 1] = L'\0';
        return wideToUtf8(units);
    }

    hid_device* device_;
    std::optional<ReportDescriptorInfo> descriptor_;
    std::optional<Record> record_;
};

} // namespace

std::string wideToUtf8(const wchar_t* text) {
    std::string out;
    if (text == nullptr) return out;
    for (const wchar_t* p = text; *p != L'\0'; ++p) {
        auto unit = static_cast<std::uint32_t>(*p);
        // Windows' wide strings are UTF-16: a surrogate pair is one character.
        if constexpr (sizeof(wchar_t) == 2) {
            const auto next = static_cast<std::uint32_t>(p[1]);
            if (unit >= 0xD800 && unit <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00);
                ++p;
            }
        }
        appendUtf8(out, unit);
    }
    return out;
}

std::string reportDescriptorFile(const std::string& sysfsRoot, const std::string& devicePath) {
    const std::string prefix = "/dev/";
    if (devicePath.rfind(prefix, 0) != 0) return {};
    const std::string node = devicePath.substr(prefix.size());
    if (node.rfind("hidraw", 0) != 0 || node.find('/') != std::string::npos || node.size() == 6) return {};
    const bool digits =
        std::all_of(node.begin() + 6, node.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digits) return {};
    return sysfsRoot + "/class/hidraw/" + node + "/device/report_descriptor";
}

HidapiAccess::HidapiAccess(std::string sysfsRoot) : sysfsRoot_(std::move(sysfsRoot)) {}

std::vector<std::string> HidapiAccess::enumerate(std::uint16_t vendorId, std::uint16_t productId) {
    initOnce();
    std::vector<std::string> paths;
    std::map<std::string, DeviceRecord> scan;
    {
        std::lock_guard lock(globalCalls());
        hid_device_info* list = hid_enumerate(vendorId, productId);
        for (const hid_device_info* info = list; info != nullptr; info = info->next) {
            // hid_enumerate(0, 0) means "every device"; ours always asks for one pair, but check anyway.
            if (info->path == nullptr || info->vendor_id != vendorId || info->product_id != productId)
                continue;
            paths.emplace_back(info->path);
            scan[info->path] = DeviceRecord{{info->vendor_id, info->product_id},
                                            optionalText(info->manufacturer_string),
                                            optionalText(info->product_string),
                                            optionalText(info->serial_number)};
        }
        hid_free_enumeration(list);
    }
    std::lock_guard lock(scanMutex_);
    lastScan_ = std::move(scan);
    return paths;
}

std::optional<HidapiAccess::DeviceRecord> HidapiAccess::recordOf(const std::string& path) const {
    std::lock_guard lock(scanMutex_);
    const auto found = lastScan_.find(path);
    if (found == lastScan_.end()) return std::nullopt;
    return found->second;
}

std::unique_ptr<HidHandle> HidapiAccess::open(const std::string& path) {
    initOnce();
    hid_device* device = nullptr;
    {
        std::lock_guard lock(globalCalls());
        device = hid_open_path(path.c_str());
    }
    if (device == nullptr) return nullptr;
    return std::make_unique<HidapiHandle>(device, deviceReportLayout(sysfsRoot_, path), recordOf(path));
}

std::unique_ptr<DeviceClaim> HidapiAccess::claim(const std::string& path, long& holder) {
    return claimDevice(path, holder);
}

} // namespace qv7
