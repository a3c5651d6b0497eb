// The simulated indicator's register bank kept in a file between runs, so that one session (qv7ctl or
// the window) can start where another left off: {"typeWord": N, "holding": [160 values]}, holding
// registers 0-159. Qt-free; called on the program's main thread.
#pragma once

#include "base/FileLock.h"

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

// The most bytes a state file may have: the writer makes about 1 KB.
inline constexpr std::size_t SimulatorStateCap = 64 * 1024;

// A state file as one program holds it: locked before it is read, so that two programs never
// simulate the indicator it stands for at once, and written only by the program that holds it.
class SimulatorStateFile {
public:
    // Opens `path` for reading and writing (created empty when missing) and locks it. False when
    // another program holds it: holder() then names it (0 when it cannot be known). Throws
    // SimulatorStateError when the file cannot be opened so (a read-only file is refused, not
    // replaced) or is not a regular file.
    bool lock(const std::string& path);
    long holder() const { return lock_.holder(); }

    // The kept state; nullopt for an empty (new) file. Throws SimulatorStateError when the file
    // cannot be read, is larger than SimulatorStateCap, or is no state (missing fields, a value
    // outside 0-65535, not exactly 160 holding values).
    std::optional<SimulatorState> load() const;
    // Replaces the file atomically (a temporary file renamed over it), every write checked; throws
    // SimulatorStateError, the previous file then untouched. Only while locked.
    void save(const SimulatorState& state) const;

private:
    std::string path_;
    FileLock lock_;
};

class SimulatedIndicator;

// The indicator a state file kept: the defaults of its type word, the kept holding registers over them.
std::unique_ptr<SimulatedIndicator> simulatedIndicatorFrom(const SimulatorState& state);
// What a simulated indicator holds, as a state file keeps it.
SimulatorState simulatorStateOf(const SimulatedIndicator& indicator);

} // namespace qv7
