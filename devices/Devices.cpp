#include "devices/Devices.h"

#include "link/HidapiAccess.h"
#include "sim/Faults.h"
#include "sim/SimulatedBridge.h"
#include "sim/SimulatedIndicator.h"
#include "sim/SimulatorState.h"

#include <cstdio>
#include <optional>

namespace qv7 {

Devices::Devices(const DeviceChoice& choice) {
    if (choice.simulate)
        buildSimulator(choice);
    else
        hidapi_ = std::make_unique<HidapiAccess>();
}

Devices::~Devices() {
    bridge_.reset();
    indicators_.clear();
}

void Devices::buildSimulator(const DeviceChoice& choice) {
    // The state is read only once this program holds its file: another one may be about to keep
    // what it did there.
    std::optional<SimulatorState> state;
    if (!choice.stateFile.empty()) {
        stateFile_ = std::make_unique<SimulatorStateFile>();
        if (!stateFile_->lock(choice.stateFile)) {
            stateHolder_ = stateFile_->holder() > 0 ? stateFile_->holder() : -1;
            stateFile_.reset();
            return;
        }
        state = stateFile_->load();
    }
    bridge_ = std::make_unique<SimulatedBridge>();
    // The line as a real indicator has it (9600 8N2), so that a transfer takes as long.
    bridge_->setSerialTiming(true);
    const auto at = choice.fault.find('@');
    const std::string fault = choice.fault.substr(0, at);
    const std::string faultSerial = at == std::string::npos ? std::string() : choice.fault.substr(at + 1);
    for (int i = 0; i < choice.count; ++i) {
        // The state file stands for the first indicator; the others start as the type word has them.
        indicators_.push_back(i == 0 && state ? simulatedIndicatorFrom(*state)
                                              : std::make_unique<SimulatedIndicator>(choice.typeWord));
        char serial[16];
        std::snprintf(serial, sizeof serial, "%04d", i + 1);
        const int index = bridge_->addBridge(serial, indicators_.back().get());
        if (faultSerial.empty() || faultSerial == serial)
            applySimulatedFault(fault, *bridge_, index, *indicators_.back());
    }
}

TransportSource Devices::transport() {
    return TransportSource(access());
}

HidAccess& Devices::access() {
    return hidapi_ ? *hidapi_ : static_cast<HidAccess&>(*bridge_);
}

void Devices::saveState() const {
    // Only the holder of the file keeps the state there.
    if (!stateFile_ || indicators_.empty()) return;
    stateFile_->save(simulatorStateOf(*indicators_.front()));
}

} // namespace qv7
