// HostSide: drives a simulated bridge the way the link does, through a HidHandle: data reports out,
// input reports in, frames closed by the first empty report.
#pragma once

#include "sim/SimulatedBridge.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

namespace qv7::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes dataReport(const Bytes& serial, std::uint8_t lengthBits) {
    Bytes report(SimulatedBridge::ReportLength, 0);
    report[3] = lengthBits;
    std::copy(serial.begin(), serial.end(), report.begin() + 5);
    return report;
}

inline Bytes dataReport(const Bytes& serial) {
    const auto n = static_cast<std::uint8_t>(serial.size());
    return dataReport(serial, static_cast<std::uint8_t>(n < 60 ? (n | 0x80) : n));
}

inline Bytes commandReport(std::uint8_t command, std::uint8_t b2, std::uint8_t b3) {
    Bytes report(SimulatedBridge::ReportLength, 0);
    report[1] = command;
    report[2] = b2;
    report[3] = b3;
    return report;
}

class HostSide {
public:
    HostSide(SimulatedBridge& bridge, int index) : handle_(bridge.open(bridge.path(index))) {
        if (!handle_) throw std::runtime_error("simulated bridge did not open");
    }

    HidHandle& handle() { return *handle_; }

    int write(const Bytes& report) { return handle_->writeReport(report.data(), report.size()); }

    // Sends serial bytes in data reports of at most 60 bytes each.
    void send(const Bytes& serial) {
        for (std::size_t at = 0; at < serial.size(); at += 60) {
            const auto end = serial.begin() + static_cast<std::ptrdiff_t>(std::min(serial.size(), at + 60));
            write(dataReport(Bytes(serial.begin() + static_cast<std::ptrdiff_t>(at), end)));
        }
    }

    // One input report; empty vector on time-out or failure.
    Bytes read(int timeoutMs = 1000) {
        Bytes report(SimulatedBridge::ReportLength);
        const int n = handle_->readReport(report.data(), report.size(), timeoutMs);
        report.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return report;
    }

    static std::size_t length(const Bytes& report) { return report.size() > 3 ? report[3] & 0x3F : 0; }

    // Reads up to maxReports reports; the serial bytes of the first frame closed by an empty report.
    // Sets emptyBefore to the empty reports read before the frame began.
    std::optional<Bytes> readFrame(int maxReports = 10, int* emptyBefore = nullptr) {
        Bytes frame;
        int empty = 0;
        for (int i = 0; i < maxReports; ++i) {
            const Bytes report = read();
            if (report.empty()) return std::nullopt;
            const std::size_t n = length(report);
            if (n == 0 && !frame.empty()) {
                if (emptyBefore) *emptyBefore = empty;
                return frame;
            }
            if (n == 0) ++empty;
            frame.insert(frame.end(), report.begin() + 5,
                         report.begin() + 5 + static_cast<std::ptrdiff_t>(n));
        }
        return std::nullopt;
    }

    std::optional<Bytes> exchange(const Bytes& request, int maxReports = 10) {
        send(request);
        return readFrame(maxReports);
    }

private:
    std::unique_ptr<HidHandle> handle_;
};

} // namespace qv7::test
