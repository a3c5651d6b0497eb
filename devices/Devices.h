// The one place qv7cfg and qv7ctl pick what they talk to: the indicators on USB through hidapi, or
// simulated indicators behind simulated bridges (their count, type word, kept state and faults).
// Qt-free; the program's main thread builds it before the component and lets it go after.
#pragma once

#include "link/Transport.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qv7 {

class HidAccess;
class SimulatedBridge;
class SimulatedIndicator;
class SimulatorStateFile;

// What the command line chose.
struct DeviceChoice {
    bool simulate = false;
    std::uint16_t typeWord = 0x4053; // of each simulated indicator
    int count = 1;                   // simulated bridges, each with its own indicator, "0001" first
    std::string stateFile;           // the first simulated indicator's registers, kept between runs
    std::string fault;               // sim/Faults.h's, "@SERIAL" after it for that indicator only
};

class Devices {
public:
    // Throws SimulatorStateError for a state file that cannot be read, std::runtime_error when a
    // simulated indicator cannot be built. A state file another program holds leaves no indicator:
    // stateHolder() then names that program (-1 when it cannot be known).
    explicit Devices(const DeviceChoice& choice);
    // The simulated indicators outlive the bridges that carry their frames.
    ~Devices();
    Devices(const Devices&) = delete;
    Devices& operator=(const Devices&) = delete;

    // The transport a component is built on: the HID bridge's over the chosen access. A serial-port
    // transport would be one more line here.
    TransportSource transport();
    // The HID access the bridges are found through (the simulated one when simulating).
    HidAccess& access();

    long stateHolder() const { return stateHolder_; }
    // Keeps the first simulated indicator's registers in the state file, when one is held. Throws
    // SimulatorStateError, the previous file then untouched.
    void saveState() const;

private:
    void buildSimulator(const DeviceChoice& choice);

    std::vector<std::unique_ptr<SimulatedIndicator>> indicators_;
    std::unique_ptr<SimulatedBridge> bridge_;
    std::unique_ptr<HidAccess> hidapi_;
    std::unique_ptr<SimulatorStateFile> stateFile_; // held from before it is read to the end
    long stateHolder_ = 0;
};

} // namespace qv7
