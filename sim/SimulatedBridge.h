// SimulatedBridge: any number of virtual HID-serial bridges behind the HidAccess seam, for --simulate,
// the end-to-end tests and the benchmarks. The link's reader thread reads and writes the handles while
// tests plug, unplug and inspect the bridges from their own thread; every operation is thread-safe.
#pragma once

#include "link/HidAccess.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace qv7 {

// What a serial peer sends back for one data report, and how long it waits before it starts.
struct SerialAnswer {
    std::vector<std::uint8_t> bytes;
    std::chrono::microseconds delay{0};
};

// A device on the far end of the bridge's serial line.
class SerialPeer {
public:
    virtual ~SerialPeer() = default;
    // The serial bytes of one data report from the PC, in order (called on the thread writing the
    // report, with the bridge's lock held: do not call back into the bridge). Returns the bytes the
    // peer sends back, possibly none. Must not throw.
    virtual std::vector<std::uint8_t> receiveSerial(std::span<const std::uint8_t> bytes) = 0;
    // As receiveSerial, with the peer's own reply delay; the bridge calls this one. Must not throw.
    virtual SerialAnswer answerSerial(std::span<const std::uint8_t> bytes) { return {receiveSerial(bytes)}; }
};

// Answers every data report with its own bytes.
class EchoPeer : public SerialPeer {
public:
    std::vector<std::uint8_t> receiveSerial(std::span<const std::uint8_t> bytes) override {
        return {bytes.begin(), bytes.end()};
    }
};

class SimulatedBridge : public HidAccess {
public:
    static constexpr std::uint16_t VendorId = 0x0451;
    static constexpr std::uint16_t ProductId = 0x0026;
    static constexpr int ReportLength = 65; // report identifier included
    // Serial bytes one input report carries: the 64-byte payload less its 4-byte header.
    static constexpr int MaxInputData = 60;
    // Serial bytes one output data report can carry, for the same reason.
    static constexpr int MaxOutputData = 60;

    enum Command : std::uint8_t { DataCommand = 0, PortFormatCommand = 1, ControlCommand = 2 };

    explicit SimulatedBridge(std::chrono::microseconds reportPeriod = std::chrono::milliseconds(1));
    // Open handles fail their I/O from here on; they may outlive the bridge.
    ~SimulatedBridge() override;
    SimulatedBridge(const SimulatedBridge&) = delete;
    SimulatedBridge& operator=(const SimulatedBridge&) = delete;

    // Adds a plugged bridge; returns its index, counted from 0. Enumeration lists bridges in this order.
    // The peer is not owned and must outlive its use by the bridge. The operations below that take a
    // bridge index throw std::out_of_range for an index that addBridge did not return.
    int addBridge(const std::string& serialNumber, SerialPeer* peer = nullptr);
    // The device path that enumerate() lists and open() takes for this bridge.
    std::string path(int bridge) const;
    void setPeer(int bridge, SerialPeer* peer);
    // Device strings; the defaults are "Norvex" and "HID-QV7   ".
    void setStrings(int bridge, std::string manufacturer, std::string product);

    // Unplugged: not enumerated, open fails, handles opened before fail their I/O (-1) for good.
    void unplug(int bridge);
    void plug(int bridge);
    // Still enumerated, but open fails.
    void setFailOpen(int bridge, bool fail);
    // The next count output reports are refused (-1) while input reports go on.
    void failWrites(int bridge, int count);
    // Each output report is refused with this probability, drawn from a generator seeded with seed.
    void failWritesRandomly(int bridge, double probability, std::uint32_t seed);
    // Output reports refused so far, on every bridge.
    int writesFailed() const;
    // No input reports at all: reads time out (0).
    void setSilent(int bridge, bool silent);
    // One input report per period, for every bridge.
    void setReportPeriod(std::chrono::microseconds period);
    // Delays each answer by the request's and the answer's time on the line: 11 bits per character at
    // the baud rate of the last port format received (9600, 19200 or 38400). Off by default.
    void setSerialTiming(bool on);

    // Every output report written, in order, as written (id first): data, port-format and control.
    std::vector<std::vector<std::uint8_t>> outputReports(int bridge) const;
    void clearOutputReports(int bridge);
    // Waits until at least count output reports are recorded; false on time-out.
    bool waitForOutputReports(int bridge, std::size_t count, std::chrono::milliseconds timeout) const;
    // The last port-format ordinal received (0 before any).
    std::uint8_t portFormat(int bridge) const;
    // The last port-format flags byte received (0 before any).
    std::uint8_t portFlags(int bridge) const;
    // Input reports delivered so far, empty ones included.
    std::size_t inputReportCount(int bridge) const;

    // HidAccess
    std::vector<std::string> enumerate(std::uint16_t vid, std::uint16_t pid) override;
    std::unique_ptr<HidHandle> open(const std::string& path) override;
    // A simulated indicator is a device of this process alone: one claim at a time on each path,
    // the holder being this process.
    std::unique_ptr<DeviceClaim> claim(const std::string& path, long& holder) override;

    struct Core; // implementation, shared with the handles so that they may outlive the bridge

private:
    std::shared_ptr<Core> core_;
};

} // namespace qv7
