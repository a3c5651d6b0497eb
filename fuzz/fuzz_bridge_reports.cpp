// Input reports come from the device: feeds arbitrary reports into the bridge's frame reassembly,
// the way the reader thread does, without a thread or a device. Each input is a sequence of
// reports, each preceded by its length byte (taken modulo 257).
#include "link/HIDSerial.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

class NoDevices : public qv7::HidAccess {
public:
    std::vector<std::string> enumerate(std::uint16_t, std::uint16_t) override { return {}; }
    std::unique_ptr<qv7::HidHandle> open(const std::string&) override { return nullptr; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    NoDevices access;
    THIDSerial bridge(access);
    unsigned checksum = 0;
    bridge.OnRXFrame = [&](TComponent*) {
        if (bridge.ReceivedCount() > 254) std::abort();
        for (std::uint32_t i = 0; i < bridge.ReceivedCount(); ++i)
            checksum += bridge.ReceivedFrame()[i];
    };
    TUSBThread& thread = bridge.Thread();
    std::size_t pos = 0;
    while (pos < size) {
        // The length byte is consumed first: what follows it bounds the report.
        const std::size_t declared = data[pos++] % 257;
        const std::size_t length = std::min<std::size_t>(declared, size - pos);
        std::memcpy(thread.ReadBuffer, data + pos, length);
        bridge.ReportReceived(&thread, static_cast<std::uint32_t>(length));
        pos += length;
    }
    // Keeps the frame handler's reads from being optimised away.
    static volatile unsigned sink = 0;
    sink = sink + checksum;
    return 0;
}
