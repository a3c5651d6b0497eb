#include "sim/SimulatedBridge.h"

#include "proto/PortFormats.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <random>
#include <set>
#include <stdexcept>
#include <utility>

#include <unistd.h>

namespace qv7 {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* PathPrefix = "simulated:bridge";

// An answer of the peer on its way back; it leaves the bridge in data reports once it is available.
struct PendingAnswer {
    std::vector<std::uint8_t> bytes;
    std::size_t sent = 0;
    Clock::time_point availableAt;
};

struct BridgeState {
    std::string serialNumber;
    std::string manufacturer = "Norvex";
    std::string product = "HID-QV7   ";
    SerialPeer* peer = nullptr;
    bool plugged = true;
    bool failOpen = false;
    bool silent = false;
    // Output reports to refuse (-1) while input goes on: a fixed count, then a random share.
    int failWrites = 0;
    double writeFailureRate = 0.0;
    std::mt19937 writeFailures;
    // Bumped by unplug: a handle of an older generation stays dead even after the bridge returns.
    std::uint64_t generation = 0;
    std::vector<std::vector<std::uint8_t>> outputs;
    std::uint8_t portFormat = 0;
    std::uint8_t portFlags = 0;
    std::deque<PendingAnswer> answers;
    // The PC closes an incoming frame on the first empty report, so one follows every answer.
    bool closeFrame = false;
    Clock::time_point nextReportDue{};
    std::size_t inputReports = 0;

    bool idle() const { return answers.empty() && !closeFrame; }
};

// The line's time for these characters at the bridge's last port format.
std::chrono::microseconds lineTime(std::size_t characters, std::uint8_t portFormat) {
    const LineFormat line = lineFormatOf(portFormat);
    const auto bits = static_cast<long long>(characters) * line.bitsPerCharacter;
    return std::chrono::microseconds(bits * 1000000 / line.baud);
}

std::optional<int> indexFromPath(const std::string& path) {
    const std::string prefix = PathPrefix;
    if (path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
    int index = -1;
    const char* first = path.data() + prefix.size();
    const char* last = path.data() + path.size();
    const auto [end, error] = std::from_chars(first, last, index);
    if (error != std::errc() || end != last || index < 0) return std::nullopt;
    return index;
}

} // namespace

struct SimulatedBridge::Core {
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::vector<std::unique_ptr<BridgeState>> bridges;
    Clock::duration period;
    bool serialTiming = false;
    bool closed = false;
    int writesFailed = 0;
    std::set<std::string> claimed; // paths a component holds

    // Caller holds the mutex.
    bool refuseWrite(BridgeState& b) {
        bool refuse = false;
        if (b.failWrites > 0) {
            --b.failWrites;
            refuse = true;
        } else if (b.writeFailureRate > 0.0) {
            refuse = std::uniform_real_distribution<double>(0.0, 1.0)(b.writeFailures) < b.writeFailureRate;
        }
        if (refuse) ++writesFailed;
        return refuse;
    }

    // Caller holds the mutex.
    BridgeState& at(int bridge) const {
        if (bridge < 0 || static_cast<std::size_t>(bridge) >= bridges.size())
            throw std::out_of_range("no simulated bridge " + std::to_string(bridge));
        return *bridges[static_cast<std::size_t>(bridge)];
    }
    bool alive(int bridge, std::uint64_t generation) const {
        const BridgeState& b = at(bridge);
        return !closed && b.plugged && b.generation == generation;
    }
};

namespace {

using Report = std::array<std::uint8_t, SimulatedBridge::ReportLength>;

// Fills the next input report: the closing empty report, a slice of an available answer, or idle.
void fillInputReport(BridgeState& b, Clock::time_point stamp, Report& report) {
    report.fill(0);
    if (b.closeFrame) {
        b.closeFrame = false;
        return;
    }
    if (b.answers.empty() || b.answers.front().availableAt > stamp) return;
    PendingAnswer& answer = b.answers.front();
    const std::size_t count =
        std::min<std::size_t>(answer.bytes.size() - answer.sent, SimulatedBridge::MaxInputData);
    report[3] = static_cast<std::uint8_t>(count);
    std::memcpy(report.data() + 5, answer.bytes.data() + answer.sent, count);
    answer.sent += count;
    if (answer.sent == answer.bytes.size()) {
        b.answers.pop_front();
        b.closeFrame = true;
    }
}

class SimulatedHandle : public HidHandle {
public:
    SimulatedHandle(std::shared_ptr<SimulatedBridge::Core> core, int index, std::uint64_t generation)
        : core_(std::move(core)), index_(index), generation_(generation) {}

    int readReport(std::uint8_t* buffer, std::size_t size, int timeoutMs) override {
        if (buffer == nullptr) return -1;
        std::unique_lock lock(core_->mutex);
        const bool forever = timeoutMs < 0;
        const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
        for (;;) {
            if (!core_->alive(index_, generation_)) return -1;
            BridgeState& b = core_->at(index_);
            const auto now = Clock::now();
            if (!b.silent && b.nextReportDue <= now) return deliver(b, now, buffer, size);
            if (!forever && now >= deadline) return 0;
            auto wake = b.silent ? deadline : b.nextReportDue;
            if (!forever) wake = std::min(wake, deadline);
            if (forever && b.silent)
                core_->changed.wait(lock);
            else
                core_->changed.wait_until(lock, wake);
        }
    }

    int writeReport(const std::uint8_t* buffer, std::size_t size) override {
        if (buffer == nullptr || size == 0 || size > SimulatedBridge::ReportLength) return -1;
        std::lock_guard lock(core_->mutex);
        if (!core_->alive(index_, generation_) || buffer[0] != 0) return -1;
        BridgeState& b = core_->at(index_);
        if (core_->refuseWrite(b)) return -1;
        b.outputs.emplace_back(buffer, buffer + size);
        Report report{};
        std::memcpy(report.data(), buffer, size);
        switch (report[1]) {
        case SimulatedBridge::DataCommand:
            takeData(b, report);
            break;
        case SimulatedBridge::PortFormatCommand:
            takePortFormat(b, report);
            break;
        default:
            break; // control reports are the bridge firmware's business: recorded only
        }
        core_->changed.notify_all();
        return static_cast<int>(size);
    }

    std::optional<HidAttributes> attributes() override {
        std::lock_guard lock(core_->mutex);
        if (!core_->alive(index_, generation_)) return std::nullopt;
        return HidAttributes{SimulatedBridge::VendorId, SimulatedBridge::ProductId};
    }
    std::optional<std::string> manufacturer() override {
        return text([](const BridgeState& b) { return b.manufacturer; });
    }
    std::optional<std::string> product() override {
        return text([](const BridgeState& b) { return b.product; });
    }
    std::optional<std::string> serialNumber() override {
        return text([](const BridgeState& b) { return b.serialNumber; });
    }
    std::optional<HidReportLengths> reportLengths() override {
        std::lock_guard lock(core_->mutex);
        if (!core_->alive(index_, generation_)) return std::nullopt;
        return HidReportLengths{SimulatedBridge::ReportLength, SimulatedBridge::ReportLength};
    }

private:
    template <typename Get> std::optional<std::string> text(Get get) {
        std::lock_guard lock(core_->mutex);
        if (!core_->alive(index_, generation_)) return std::nullopt;
        return get(core_->at(index_));
    }

    int deliver(BridgeState& b, Clock::time_point now, std::uint8_t* buffer, std::size_t size) {
        // An idle line has nothing to catch up with: a late reader gets no burst of stale empty reports.
        if (b.idle() && b.nextReportDue + core_->period < now) b.nextReportDue = now;
        const auto stamp = b.nextReportDue;
        b.nextReportDue += core_->period;
        Report report;
        fillInputReport(b, stamp, report);
        ++b.inputReports;
        const std::size_t count = std::min(size, report.size());
        std::memcpy(buffer, report.data(), count);
        return static_cast<int>(count);
    }

    void takeData(BridgeState& b, const Report& report) {
        const std::size_t count = std::min<std::size_t>(report[3] & 0x3F, SimulatedBridge::MaxOutputData);
        if (count == 0 || b.peer == nullptr) return;
        SerialAnswer answer = b.peer->answerSerial(std::span(report.data() + 5, count));
        if (answer.bytes.empty()) return;
        auto availableAt = Clock::time_point::min();
        if (core_->serialTiming)
            availableAt = Clock::now() + lineTime(count + answer.bytes.size(), b.portFormat) + answer.delay;
        else if (answer.delay.count() > 0)
            availableAt = Clock::now() + answer.delay;
        b.answers.push_back({std::move(answer.bytes), 0, availableAt});
    }

    static void takePortFormat(BridgeState& b, const Report& report) {
        b.portFormat = report[2];
        b.portFlags = report[3];
    }

    std::shared_ptr<SimulatedBridge::Core> core_;
    int index_;
    std::uint64_t generation_;
};

} // namespace

SimulatedBridge::SimulatedBridge(std::chrono::microseconds reportPeriod) : core_(std::make_shared<Core>()) {
    core_->period = reportPeriod;
}

SimulatedBridge::~SimulatedBridge() {
    std::lock_guard lock(core_->mutex);
    core_->closed = true;
    core_->changed.notify_all();
}

int SimulatedBridge::addBridge(const std::string& serialNumber, SerialPeer* peer) {
    std::lock_guard lock(core_->mutex);
    auto state = std::make_unique<BridgeState>();
    state->serialNumber = serialNumber;
    state->peer = peer;
    core_->bridges.push_back(std::move(state));
    return static_cast<int>(core_->bridges.size()) - 1;
}

std::string SimulatedBridge::path(int bridge) const {
    std::lock_guard lock(core_->mutex);
    core_->at(bridge);
    return PathPrefix + std::to_string(bridge);
}

void SimulatedBridge::setPeer(int bridge, SerialPeer* peer) {
    std::lock_guard lock(core_->mutex);
    core_->at(bridge).peer = peer;
}

void SimulatedBridge::setStrings(int bridge, std::string manufacturer, std::string product) {
    std::lock_guard lock(core_->mutex);
    BridgeState& b = core_->at(bridge);
    b.manufacturer = std::move(manufacturer);
    b.product = std::move(product);
}

void SimulatedBridge::unplug(int bridge) {
    std::lock_guard lock(core_->mutex);
    BridgeState& b = core_->at(bridge);
    if (!b.plugged) return;
    b.plugged = false;
    ++b.generation;
    // The bridge lost power: whatever was on its way back is gone.
    b.answers.clear();
    b.closeFrame = false;
    core_->changed.notify_all();
}

void SimulatedBridge::plug(int bridge) {
    std::lock_guard lock(core_->mutex);
    core_->at(bridge).plugged = true;
    core_->changed.notify_all();
}

void SimulatedBridge::setFailOpen(int bridge, bool fail) {
    std::lock_guard lock(core_->mutex);
    core_->at(bridge).failOpen = fail;
}

void SimulatedBridge::failWrites(int bridge, int count) {
    std::lock_guard lock(core_->mutex);
    core_->at(bridge).failWrites = std::max(count, 0);
}

void SimulatedBridge::failWritesRandomly(int bridge, double probability, std::uint32_t seed) {
    std::lock_guard lock(core_->mutex);
    BridgeState& b = core_->at(bridge);
    b.writeFailureRate = probability;
    b.writeFailures.seed(seed);
}

int SimulatedBridge::writesFailed() const {
    std::lock_guard lock(core_->mutex);
    return core_->writesFailed;
}

namespace {

struct PathClaim : DeviceClaim {
    PathClaim(std::shared_ptr<SimulatedBridge::Core> core, std::string path)
        : core(std::move(core)), path(std::move(path)) {}
    ~PathClaim() override;
    std::shared_ptr<SimulatedBridge::Core> core;
    std::string path;
};

PathClaim::~PathClaim() {
    std::lock_guard lock(core->mutex);
    core->claimed.erase(path);
}

} // namespace

std::unique_ptr<DeviceClaim> SimulatedBridge::claim(const std::string& path, long& holder) {
    std::lock_guard lock(core_->mutex);
    holder = 0;
    if (!core_->claimed.insert(path).second) {
        holder = static_cast<long>(::getpid());
        return nullptr;
    }
    return std::make_unique<PathClaim>(core_, path);
}

void SimulatedBridge::setSilent(int bridge, bool silent) {
    std::lock_guard lock(core_->mutex);
    core_->at(bridge).silent = silent;
    core_->changed.notify_all();
}

void SimulatedBridge::setReportPeriod(std::chrono::microseconds period) {
    std::lock_guard lock(core_->mutex);
    core_->period = period;
    core_->changed.notify_all();
}

void SimulatedBridge::setSerialTiming(bool on) {
    std::lock_guard lock(core_->mutex);
    core_->serialTiming = on;
}

std::vector<std::vector<std::uint8_t>> SimulatedBridge::outputReports(int bridge) const {
    std::lock_guard lock(core_->mutex);
    return core_->at(bridge).outputs;
}

void SimulatedBridge::clearOutputReports(int bridge) {
    std::lock_guard lock(core_->mutex);
    core_->at(bridge).outputs.clear();
}

bool SimulatedBridge::waitForOutputReports(int bridge, std::size_t count,
                                           std::chrono::milliseconds timeout) const {
    std::unique_lock lock(core_->mutex);
    const BridgeState& b = core_->at(bridge);
    return core_->changed.wait_for(lock, timeout, [&] { return b.outputs.size() >= count; });
}

std::uint8_t SimulatedBridge::portFormat(int bridge) const {
    std::lock_guard lock(core_->mutex);
    return core_->at(bridge).portFormat;
}

std::uint8_t SimulatedBridge::portFlags(int bridge) const {
    std::lock_guard lock(core_->mutex);
    return core_->at(bridge).portFlags;
}

std::size_t SimulatedBridge::inputReportCount(int bridge) const {
    std::lock_guard lock(core_->mutex);
    return core_->at(bridge).inputReports;
}

std::vector<std::string> SimulatedBridge::enumerate(std::uint16_t vid, std::uint16_t pid) {
    std::vector<std::string> paths;
    if (vid != VendorId || pid != ProductId) return paths;
    std::lock_guard lock(core_->mutex);
    for (std::size_t i = 0; i < core_->bridges.size(); ++i)
        if (core_->bridges[i]->plugged) paths.push_back(PathPrefix + std::to_string(i));
    return paths;
}

std::unique_ptr<HidHandle> SimulatedBridge::open(const std::string& path) {
    const auto index = indexFromPath(path);
    std::lock_guard lock(core_->mutex);
    if (!index || static_cast<std::size_t>(*index) >= core_->bridges.size()) return nullptr;
    BridgeState& b = core_->at(*index);
    if (!b.plugged || b.failOpen) return nullptr;
    // A fresh handle starts on the bridge's own report clock, not with a backlog.
    b.nextReportDue = std::max(b.nextReportDue, Clock::now());
    return std::make_unique<SimulatedHandle>(core_, *index, b.generation);
}

} // namespace qv7
