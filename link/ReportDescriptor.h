// Report lengths from a HID report descriptor, read by the link when it attaches a device (window
// thread). Sums Report Size x Report Count of the Input and Output items per report identifier;
// safe on any input: malformed descriptors give no result, never a read out of bounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace qv7 {

struct ReportDescriptorInfo {
    // Longest input and output report in bytes, one report identifier byte included; 0 when the
    // descriptor declares no report of that kind.
    int inputLength = 0;
    int outputLength = 0;
    // The device numbers its reports (a Report ID item is present): its reads carry the identifier.
    bool numbered = false;
};

// Parses a descriptor; nothing when an item runs past the end of the data.
std::optional<ReportDescriptorInfo> parseReportDescriptor(const std::uint8_t* data, std::size_t size);

} // namespace qv7
