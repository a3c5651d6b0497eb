// The HidAccess of real hardware: hidapi over Linux hidraw. Report lengths come from the report
// descriptor in sysfs. Safe to call from the window thread and the reader thread at once; each
// handle is used by one thread at a time.
#pragma once

#include "link/HidAccess.h"

#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace qv7 {

class HidapiAccess : public HidAccess {
public:
    // sysfsRoot is where the hidraw class lives ("/sys" on a real system; a directory in tests).
    explicit HidapiAccess(std::string sysfsRoot = "/sys");

    // Paths of the present devices with this identifier pair, in hidapi's enumeration order. The one
    // enumeration of a scan: it also keeps each device's identifiers and strings for the handles
    // opened on its paths, which then ask hidapi nothing more.
    std::vector<std::string> enumerate(std::uint16_t vendorId, std::uint16_t productId) override;
    // Opens with hid_open_path; nullptr when it does not open.
    std::unique_ptr<HidHandle> open(const std::string& path) override;
    // An exclusive flock on the hidraw node itself, which every program meets whatever its
    // environment, and which the kernel frees when the holder dies.
    std::unique_ptr<DeviceClaim> claim(const std::string& path, long& holder) override;

    // What the last enumeration said of one device.
    struct DeviceRecord {
        HidAttributes attributes;
        std::optional<std::string> manufacturer;
        std::optional<std::string> product;
        std::optional<std::string> serialNumber;
    };

private:
    std::optional<DeviceRecord> recordOf(const std::string& path) const;

    std::string sysfsRoot_;
    mutable std::mutex scanMutex_;
    std::map<std::string, DeviceRecord> lastScan_; // guarded by scanMutex_
};

// The sysfs file holding the report descriptor of a hidraw path ("/dev/hidraw3" ->
// "<root>/class/hidraw/hidraw3/device/report_descriptor"); empty for a path of another shape.
std::string reportDescriptorFile(const std::string& sysfsRoot, const std::string& devicePath);

// A zero-terminated wide string as UTF-8 (invalid code points become U+FFFD).
std::string wideToUtf8(const wchar_t* text);

} // namespace qv7
