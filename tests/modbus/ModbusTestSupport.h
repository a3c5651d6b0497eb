// Shared pieces of the Modbus master tests: a serial peer that answers from a script, a recorder of
// the master's events that tests wait on (condition variable, never sleeps), and a master opened on
// a simulated bridge. Events arrive on the reader thread; tests read them on their own thread.
#pragma once

#include "base/FrameLink.h"
#include "link/HIDSerial.h"
#include "modbus/MiniModbus.h"
#include "modbus/MiniModbusTestHook.h"
#include "sim/SimulatedBridge.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace modbustest {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

// Only matters when a test fails: everything normally arrives within a few report periods.
inline constexpr auto Patience = 3s;

// The bytes followed by their CRC, low byte first, as every frame ends.
inline Bytes withCRC(Bytes bytes) {
    const std::uint16_t crc = TCustomMiniModbus::ModbusCRC(bytes);
    bytes.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
    return bytes;
}

// A frame link that is no bridge: it keeps every frame it is given and hands the receiver the frames
// a test delivers, on the test's thread.
class FakeLink : public qv7::FrameLink {
public:
    bool sendFrame(std::span<const std::uint8_t> frame) override {
        sent.emplace_back(frame.begin(), frame.end());
        return true;
    }
    void setReceiver(qv7::FrameReceiver* r) override { receiver = r; }
    qv7::LineFormat lineFormat() const override { return {}; }

    // A frame that began and ended now.
    void deliver(const Bytes& frame) {
        const auto now = std::chrono::steady_clock::now();
        if (receiver != nullptr) receiver->frameArrived({frame, now, now});
    }

    std::vector<Bytes> sent;
    qv7::FrameReceiver* receiver = nullptr;
};

// Answers each data report with the next scripted answer (nothing once the script is used up) and
// records what it received.
class ScriptedPeer : public qv7::SerialPeer {
public:
    void answer(Bytes reply) {
        std::lock_guard lock(mutex_);
        script_.push_back(std::move(reply));
    }
    void reset() {
        std::lock_guard lock(mutex_);
        script_.clear();
        received_.clear();
    }
    std::vector<Bytes> received() const {
        std::lock_guard lock(mutex_);
        return received_;
    }
    std::vector<std::uint8_t> receiveSerial(std::span<const std::uint8_t> bytes) override {
        std::lock_guard lock(mutex_);
        received_.emplace_back(bytes.begin(), bytes.end());
        if (script_.empty()) return {};
        Bytes reply = std::move(script_.front());
        script_.pop_front();
        return reply;
    }

private:
    mutable std::mutex mutex_;
    std::deque<Bytes> script_;
    std::vector<Bytes> received_;
};

struct Arrival {
    TDataType type;
    std::int32_t address;
    std::int32_t data;
    bool operator==(const Arrival&) const = default;
};

// Everything the master raised, in order.
struct Record {
    std::vector<Arrival> arrivals;
    int blockWrites = 0;
    std::vector<std::string> rx;
    std::vector<std::string> tx;
    int connects = 0;
    int handled = 0; // received frames dealt with completely, accepted or dropped
};

class Recorder {
public:
    void attach(THIDSerial& bridge, TMiniModbusMaster& master) {
        master.OnDataArrival = [this](TComponent*, TDataType type, std::int32_t address, std::int32_t data) {
            update([&](Record& r) { r.arrivals.push_back({type, address, data}); });
        };
        master.OnWordBlockWriting = [this](TComponent*) { update([](Record& r) { ++r.blockWrites; }); };
        master.RxDebugStream = [this](TComponent*, const std::string& text) {
            update([&](Record& r) { r.rx.push_back(text); });
        };
        master.TxDebugStream = [this](TComponent*, const std::string& text) {
            update([&](Record& r) { r.tx.push_back(text); });
        };
        bridge.OnConnect = [this](TComponent*) { update([](Record& r) { ++r.connects; }); };
        MiniModbusTestHook::OnFrameHandled(master,
                                           [this](TComponent*) { update([](Record& r) { ++r.handled; }); });
    }
    void reset() {
        std::lock_guard lock(mutex_);
        const int connects = record_.connects;
        record_ = Record{};
        record_.connects = connects;
    }
    Record snapshot() const {
        std::lock_guard lock(mutex_);
        return record_;
    }
    // Frames are dealt with in order on the reader thread: once the n-th has been handled, every
    // event it could raise has been raised. Returns the record then.
    Record afterFrames(int n) const {
        const bool done = waitUntil([n](const Record& r) { return r.handled >= n; });
        Record r = snapshot();
        if (!done) r.handled = -1; // shows in the failing comparison
        return r;
    }
    // True once the predicate holds; false when it still does not after the patience ran out.
    bool waitUntil(const std::function<bool(const Record&)>& done) const {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, Patience, [&] { return done(record_); });
    }

private:
    void update(const std::function<void(Record&)>& change) {
        {
            std::lock_guard lock(mutex_);
            change(record_);
        }
        changed_.notify_all();
    }

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    Record record_;
};

// A master at node 255 (unless told otherwise) talking through the bridge, opened on one simulated
// bridge with a 1 ms report period.
struct OpenedMaster {
    explicit OpenedMaster(qv7::SerialPeer* peer, std::uint8_t node = 255) : bridge(sim), master(bridge) {
        sim.addBridge("0001", peer);
        recorder.attach(bridge, master);
        master.Node = node;
        bridge.ProductIdent = "HID-QV7   ";
        opened = bridge.OpenDevice(1) && recorder.waitUntil([](const Record& r) { return r.connects > 0; });
    }
    ~OpenedMaster() { bridge.CloseDevice(); }

    qv7::SimulatedBridge sim;
    Recorder recorder;
    THIDSerial bridge;
    TMiniModbusMaster master;
    bool opened = false;
};

} // namespace modbustest
