// The platform seam of the USB link: how the link reaches HID devices. HidapiAccess implements it
// with hidapi, SimulatedBridge (sim/) with virtual bridges. Every implementation is safe to call
// from the window thread and the reader thread at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qv7 {

struct HidAttributes {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
};

// Report lengths of a device, report identifier byte included (65 for the bridge).
struct HidReportLengths {
    int input = 0;
    int output = 0;
};

// One open device path. Used by one thread at a time.
class HidHandle {
public:
    virtual ~HidHandle() = default;

    // Reads one input report into buffer, report identifier (0) in byte 0 then the payload.
    // Returns the byte count, 0 when no report came within timeoutMs, -1 when the device failed.
    virtual int readReport(std::uint8_t* buffer, std::size_t size, int timeoutMs) = 0;

    // Writes one output report (report identifier in byte 0). Returns the bytes written or -1.
    virtual int writeReport(const std::uint8_t* buffer, std::size_t size) = 0;

    virtual std::optional<HidAttributes> attributes() = 0;
    // Device strings as UTF-8; nothing when the device does not give them.
    virtual std::optional<std::string> manufacturer() = 0;
    virtual std::optional<std::string> product() = 0;
    virtual std::optional<std::string> serialNumber() = 0;
    // From the report descriptor; nothing when it cannot be read or parsed.
    virtual std::optional<HidReportLengths> reportLengths() = 0;
};

// This program's claim on one device, held while the object lives.
class DeviceClaim {
public:
    virtual ~DeviceClaim() = default;
};

class HidAccess {
public:
    virtual ~HidAccess() = default;

    // Paths of the present HID devices with this vendor and product identifier, in enumeration order.
    virtual std::vector<std::string> enumerate(std::uint16_t vendorId, std::uint16_t productId) = 0;

    // Opens a device path; nullptr when it does not open.
    virtual std::unique_ptr<HidHandle> open(const std::string& path) = 0;

    // Claims the device at `path` so that no other program drives it meanwhile (a second driver
    // would swallow this one's answers). nullptr when another holds it: `holder` is then its process
    // id, 0 when it cannot be known. A device no other program can reach gets a claim that holds
    // nothing, as does one whose claim cannot be tried (its open then says why).
    virtual std::unique_ptr<DeviceClaim> claim(const std::string& path, long& holder) {
        (void)path;
        holder = 0;
        return std::make_unique<DeviceClaim>();
    }
};

} // namespace qv7
