// The faults a simulated indicator can be given from the command line (--simulate-fault), for
// qv7ctl and the window alike. Main thread, before the simulated indicators are used.
#pragma once

#include <string>

namespace qv7 {

class SimulatedBridge;
class SimulatedIndicator;

// True for "silent", "drop:N", "delay:MS[:N]", "writefail:N", "crc:N" and "exception:CODE[:N]"
// (each number a whole decimal number from 0; CODE the exception code in hex, 01 to FF).
bool isSimulatedFault(const std::string& fault);
// Gives the fault to the indicator, or to its bridge `index`; a fault that is not understood does
// nothing. N counts the requests it strikes; without it, every request.
void applySimulatedFault(const std::string& fault, SimulatedBridge& bridge, int index,
                         SimulatedIndicator& indicator);

} // namespace qv7
