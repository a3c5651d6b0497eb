// The simulated indicator's register bank kept in a file between runs, so that one session (qv7ctl or
// the window) can start where another left off: {"typeWord": N, "holding": [160 values]}, holding
// registers 0-159. Qt-free; called on the program's main thread.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace qv7 {

struct SimulatorState {
    static constexpr int HoldingCount = 160; // configuration, alarms and the linearisation table

    std::uint16_t typeWord = 0;
    std::map<int, std::uint16_t> holding; // addresses 0-159
};

// A state file that cannot be read or written, or holds no state; what() names the file.
class SimulatorStateError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// nullopt when the file does not exist; throws SimulatorStateError when it cannot be read or is no
// state (missing fields, a value outside 0-65535, not exactly 160 holding values).
std::optional<SimulatorState> loadSimulatorState(const std::string& path);
// Replaces the file atomically (a temporary file renamed over it); throws SimulatorStateError.
void saveSimulatorState(const std::string& path, const SimulatorState& state);

class SimulatedIndicator;

// The indicator a state file kept: the defaults of its type word, the kept holding registers over them.
std::unique_ptr<SimulatedIndicator> simulatedIndicatorFrom(const SimulatorState& state);
// What a simulated indicator holds, as a state file keeps it.
SimulatorState simulatorStateOf(const SimulatedIndicator& indicator);

// The device-key prefix of a simulator kept in this state file: programs started on one state file
// stand for one indicator (SimulatedBridge::setDeviceKeyPrefix), and lock each other out as such.
std::string simulatorStateKeyPrefix(const std::string& path);

} // namespace qv7
