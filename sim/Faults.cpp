#include "sim/Faults.h"

#include "sim/SimulatedBridge.h"
#include "sim/SimulatedIndicator.h"

#include <charconv>
#include <limits>
#include <optional>
#include <vector>

namespace qv7 {

namespace {

std::vector<std::string> split(const std::string& text) {
    std::vector<std::string> parts{""};
    for (char c : text) {
        if (c == ':')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

std::optional<int> number(const std::vector<std::string>& parts, std::size_t at, int base = 10) {
    if (at >= parts.size() || parts[at].empty()) return std::nullopt;
    int value = 0;
    const char* first = parts[at].data();
    const char* last = first + parts[at].size();
    const auto [end, error] = std::from_chars(first, last, value, base);
    if (error != std::errc() || end != last || value < 0) return std::nullopt;
    return value;
}

// The number at `at`, or every request when it is not given.
int countAt(const std::vector<std::string>& parts, std::size_t at) {
    return number(parts, at).value_or(std::numeric_limits<int>::max());
}

} // namespace

bool isSimulatedFault(const std::string& fault) {
    const auto parts = split(fault);
    const std::string& kind = parts[0];
    const std::size_t n = parts.size();
    if (kind == "silent") return n == 1;
    if (kind == "drop" || kind == "writefail" || kind == "crc") return n == 2 && number(parts, 1);
    if (kind == "delay") return (n == 2 || n == 3) && number(parts, 1) && (n == 2 || number(parts, 2));
    if (kind == "exception") {
        const auto code = number(parts, 1, 16);
        return (n == 2 || n == 3) && code && *code >= 1 && *code <= 0xFF && (n == 2 || number(parts, 2));
    }
    return false;
}

void applySimulatedFault(const std::string& fault, SimulatedBridge& bridge, int index,
                         SimulatedIndicator& indicator) {
    if (!isSimulatedFault(fault)) return;
    using Fault = SimulatedIndicator::Fault;
    const auto parts = split(fault);
    const std::string& kind = parts[0];
    if (kind == "silent") indicator.setSilent(true);
    if (kind == "drop") indicator.injectFault(Fault::DropReply, countAt(parts, 1));
    if (kind == "crc") indicator.injectFault(Fault::CorruptCrc, countAt(parts, 1));
    if (kind == "delay") {
        indicator.setReplyDelay(std::chrono::milliseconds(*number(parts, 1)));
        indicator.injectFault(Fault::Delay, countAt(parts, 2));
    }
    if (kind == "exception") {
        indicator.setExceptionCode(static_cast<std::uint8_t>(*number(parts, 1, 16)));
        indicator.injectFault(Fault::Exception, countAt(parts, 2));
    }
    if (kind == "writefail") bridge.failWrites(index, countAt(parts, 1));
}

} // namespace qv7
