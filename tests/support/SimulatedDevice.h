// SimulatedDevice: the ready-made set-up of the end-to-end tests, one simulated indicator at
// address 255 behind one simulated bridge (serial number "0001"), plugged in.
#pragma once

#include "sim/SimulatedBridge.h"
#include "sim/SimulatedIndicator.h"

#include <chrono>
#include <cstdint>
#include <map>

namespace qv7::test {

struct SimulatedDevice {
    explicit SimulatedDevice(std::uint16_t typeWord = SimulatedIndicator::DefaultTypeWord,
                             std::chrono::microseconds reportPeriod = std::chrono::milliseconds(1))
        : indicator(typeWord), bridge(reportPeriod), index(bridge.addBridge("0001", &indicator)) {}

    SimulatedDevice(std::uint16_t typeWord, const std::map<int, std::uint16_t>& holdingRegisters,
                    std::chrono::microseconds reportPeriod = std::chrono::milliseconds(1))
        : indicator(typeWord, holdingRegisters), bridge(reportPeriod),
          index(bridge.addBridge("0001", &indicator)) {}

    // Declared before the bridge, so the bridge (and its use of the indicator) goes first.
    SimulatedIndicator indicator;
    SimulatedBridge bridge;
    int index;
};

} // namespace qv7::test
