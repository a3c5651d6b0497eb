// Arbitrary received frames into the master's reply checks and decoder, under every pending state
// (functions 3, 4, 6, 16, 1, 2, 5, idle, any function) and any PendingStart/PendingCount, with and
// without echo-cancel. Runs on the fuzzer's thread through the test hook: no bridge, no reader thread.
//
// Input layout: byte 0 chooses the state, bytes 1-8 give start and count, the rest is the frame.
// Bit 6 of byte 0 makes the frame a well-formed reply (our address first, a valid CRC appended) so
// that the decoder, not just the CRC check, is reached.
#include "base/FrameLink.h"
#include "modbus/MiniModbus.h"
#include "modbus/MiniModbusTestHook.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace {

// Frames go nowhere and none comes: the fuzzer hands replies over through the test hook.
class NoLink : public qv7::FrameLink {
public:
    bool sendFrame(std::span<const std::uint8_t>) override { return false; }
    void setReceiver(qv7::FrameReceiver*) override {}
    qv7::LineFormat lineFormat() const override { return {}; }
};

constexpr std::uint8_t Node = 255;

struct Outcome {
    std::int64_t arrivals = 0;
    bool block = false;
};

Outcome outcome;

TMiniModbusMaster& master() {
    static NoLink link;
    static TMiniModbusMaster* m = [] {
        auto* built = new TMiniModbusMaster(link);
        built->Node = Node;
        built->OnDataArrival = [](TComponent*, TDataType type, std::int32_t address, std::int32_t) {
            const bool bits = type == TDataType::dtCoil || type == TDataType::dtDiscreteInput;
            if (address < 0 || address > (bits ? 64 : 1024)) __builtin_trap();
            ++outcome.arrivals;
        };
        built->OnWordBlockWriting = [](TComponent*) { outcome.block = true; };
        return built;
    }();
    return *m;
}

std::int32_t readInt(const std::uint8_t* bytes) {
    std::uint32_t value;
    std::memcpy(&value, bytes, sizeof value);
    return static_cast<std::int32_t>(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 9) return 0;
    TMiniModbusMaster& m = master();
    static constexpr std::int32_t functions[] = {3, 4, 6, 16, 1, 2, 5, -1};
    const std::uint8_t mode = data[0];
    std::int32_t start = readInt(data + 1);
    std::int32_t count = readInt(data + 5);
    if (mode & 0x20) { // mostly plausible requests: inside or just past the image
        start = static_cast<std::int32_t>(static_cast<std::uint32_t>(start) % 1100);
        count = static_cast<std::int32_t>(static_cast<std::uint32_t>(count) % 140);
    }
    const bool anyFunction = (mode & 0x08) != 0;
    const std::int32_t function = anyFunction ? static_cast<std::int8_t>(data[1]) : functions[mode & 0x07];
    const bool echoCancel = (mode & 0x10) != 0;

    std::vector<std::uint8_t> frame(data + 9, data + size);
    if (mode & 0x40) {
        frame.insert(frame.begin(), Node);
        const std::uint16_t crc = TCustomMiniModbus::ModbusCRC(frame);
        frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
        frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    }
    const std::int32_t echo = echoCancel ? static_cast<std::int32_t>(data[2] % 16) : 0;

    // One request awaited, set by hand: nothing left from the inputs before.
    MiniModbusTestHook::ForgetRequests(m);
    m.EchoCancel = echoCancel;
    m.EchoLength = echo;
    m.PendingStart = start;
    m.PendingCount = count;
    m.PendingFunction = function;
    outcome = {};
    MiniModbusTestHook::CheckReply(m, frame);

    // A frame no longer than the echo (or an empty one, which the bridge never raises) keeps the
    // request; every other frame leaves the master idle.
    const bool onlyEcho = static_cast<std::size_t>(echo) >= frame.size();
    if (m.PendingFunction != (onlyEcho ? function : -1)) __builtin_trap();
    if (!onlyEcho && m.EchoLength != 0) __builtin_trap();
    // Never more values than were asked for, and a block-write reply raises no values.
    const std::int64_t most = function == 5 || function == 6 ? 1 : (count > 0 ? count : 0);
    if (outcome.arrivals > most) __builtin_trap();
    if (outcome.block && (function != 16 || outcome.arrivals != 0)) __builtin_trap();
    return 0;
}
