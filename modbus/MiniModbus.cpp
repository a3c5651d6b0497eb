#include "modbus/MiniModbus.h"

#include <algorithm>
#include <chrono>
#include <cstddef>

namespace {

constexpr std::size_t MaxFrame = 255;
constexpr std::size_t MaxDebugText = 255;

// Address, function and the two CRC bytes: anything shorter cannot be a reply.
constexpr std::size_t MinReply = 4;

constexpr std::uint8_t hi(std::int64_t value) {
    return static_cast<std::uint8_t>((value >> 8) & 0xFF);
}
constexpr std::uint8_t lo(std::int64_t value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

std::uint16_t word(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] << 8 | bytes[at + 1]);
}

void appendCRC(std::vector<std::uint8_t>& frame) {
    const std::uint16_t crc = TCustomMiniModbus::ModbusCRC(frame);
    frame.push_back(lo(crc));
    frame.push_back(hi(crc));
}

// True when [start, start + count) lies inside an image of `size` elements. 64-bit arithmetic: the
// pending state may hold any 32-bit values.
bool insideImage(std::int64_t start, std::int64_t count, std::size_t size) {
    return start >= 0 && count >= 0 && start + count <= static_cast<std::int64_t>(size);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TCustomMiniModbus

TCustomMiniModbus::TCustomMiniModbus(qv7::HidAccess& access) : THIDSerial(access) {
    SetModeBit7(false);
    SetModeBit6(false);
    OnRXFrame = [this](TComponent* Sender) { HandleFrame(Sender); };
}

std::uint16_t TCustomMiniModbus::ModbusCRC(std::span<const std::uint8_t> bytes) {
    std::uint16_t crc = 0xFFFF;
    for (std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            const bool carry = (crc & 1) != 0;
            crc = static_cast<std::uint16_t>(crc >> 1);
            if (carry) crc ^= 0xA001;
        }
    }
    return crc;
}

std::string TCustomMiniModbus::DebugText(const char* prefix, std::span<const std::uint8_t> bytes) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text = prefix;
    for (std::uint8_t byte : bytes) {
        if (text.size() >= MaxDebugText) break;
        text += digits[byte >> 4];
        text += digits[byte & 0x0F];
        text += ' ';
    }
    if (text.size() > MaxDebugText) text.resize(MaxDebugText);
    return text;
}

bool TCustomMiniModbus::TransmitFrame(const std::uint8_t* Frame, int Count) {
    if (Frame == nullptr || Count < 0) Count = 0;
    const std::span<const std::uint8_t> bytes(Frame, static_cast<std::size_t>(Count));
    if (TxDebugStream) TxDebugStream(this, DebugText("TX : ", bytes));
    // The bridge expects a port-format report in front of every frame.
    SetModeBit6(true);
    return SendFrame(Frame, Count);
}

std::vector<std::uint8_t> TCustomMiniModbus::FetchFrame() {
    const std::size_t count = std::min<std::size_t>(ReceivedCount(), MaxFrame);
    std::copy_n(ReceivedFrame(), count, LastFrame);
    LastLength = static_cast<int>(count);
    std::vector<std::uint8_t> frame(LastFrame, LastFrame + count);
    if (count >= 1 && RxDebugStream) RxDebugStream(this, DebugText("RX : ", frame));
    return frame;
}

TCustomMiniModbus::~TCustomMiniModbus() {
    StopReader();
}

void TCustomMiniModbus::HandleFrame(TComponent*) {
    // Every frame goes to the checks: in echo-cancel mode the echo is skipped by length instead
    // of gating whole frames, which would stop all replies after the first transmission.
    FrameReceived();
}

// ---------------------------------------------------------------------------------------------
// TMiniModbusMaster: requests

TMiniModbusMaster::TMiniModbusMaster(qv7::HidAccess& access) : TCustomMiniModbus(access) {}

// FrameReceived is overridden here, so the reader thread must be gone before this part is.
TMiniModbusMaster::~TMiniModbusMaster() {
    StopReader();
}

void TMiniModbusMaster::ReadHoldingRegisters(std::int32_t Start, std::int32_t Count) {
    PendingStart = Start;
    PendingCount = Count;
    SendRequest(3, Start, Count);
}

void TMiniModbusMaster::ReadInputRegisters(std::int32_t Start, std::int32_t Count) {
    PendingStart = Start;
    PendingCount = Count;
    SendRequest(4, Start, Count);
}

void TMiniModbusMaster::WriteSingleRegister(std::int32_t Address, std::int32_t Value) {
    PendingStart = Address;
    PendingCount = 1;
    SendRequest(6, Address, Value);
}

void TMiniModbusMaster::WriteMultipleRegisters(std::int32_t Start, std::int32_t Count,
                                               const ProcessImage<std::uint16_t, 1025>& Registers) {
    if (Count > MaxBlockRegisters || !insideImage(Start, Count, Registers.size())) return;
    std::vector<std::uint16_t> values(static_cast<std::size_t>(Start + Count));
    for (std::int32_t i = Start; i < Start + Count; ++i)
        values[static_cast<std::size_t>(i)] = Registers[static_cast<std::size_t>(i)].load();
    WriteMultipleRegisters(Start, Count, values);
}

void TMiniModbusMaster::WriteMultipleRegisters(std::int32_t Start, std::int32_t Count,
                                               std::span<const std::uint16_t> Registers) {
    if (Count > MaxBlockRegisters || !insideImage(Start, Count, Registers.size())) return;
    std::vector<std::uint8_t> frame{Node, 0x10, hi(Start), lo(Start), hi(Count), lo(Count), lo(2 * Count)};
    for (std::int32_t i = 0; i < Count; ++i) {
        // The indicator takes block data low byte first, unlike every other 16-bit field.
        const std::uint16_t value = Registers[static_cast<std::size_t>(Start + i)];
        frame.push_back(lo(value));
        frame.push_back(hi(value));
    }
    appendCRC(frame);
    EchoLength = static_cast<std::int32_t>(frame.size());
    RequestSentAt = Now();
    PendingFunction = 16;
    TransmitFrame(frame.data(), static_cast<int>(frame.size()));
}

std::int64_t TMiniModbusMaster::Now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void TMiniModbusMaster::SendRequest(std::int32_t Function, std::int32_t Address, std::int32_t Value) {
    std::vector<std::uint8_t> frame{Node, lo(Function), hi(Address), lo(Address), hi(Value), lo(Value)};
    appendCRC(frame);
    EchoLength = static_cast<std::int32_t>(frame.size());
    RequestSentAt = Now();
    // Written last: the reader thread takes the request by its function.
    PendingFunction = Function;
    TransmitFrame(frame.data(), static_cast<int>(frame.size()));
}

bool TMiniModbusMaster::AwaitingInput() const {
    const bool outstanding = PendingFunction.load() != -1 &&
                             Now() - RequestSentAt.load() < std::chrono::nanoseconds(ReplyWatch).count();
    return outstanding || TCustomMiniModbus::AwaitingInput();
}

// ---------------------------------------------------------------------------------------------
// TMiniModbusMaster: reply checks

void TMiniModbusMaster::FrameReceived() {
    const auto ns = [](std::chrono::steady_clock::time_point t) {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
    };
    CheckReply(FetchFrame(), ns(FrameStartedAt()));
    LastFrameAt = ns(FrameLastDataAt());
    if (frameHandled_) frameHandled_(this);
}

void TMiniModbusMaster::CheckReply(std::span<const std::uint8_t> frame, std::int64_t startedAt) {
    // Bytes that were on their way before the request went out answer an earlier one.
    if (startedAt != 0 && startedAt < RequestSentAt.load()) return;
    if (!EchoCancel) EchoLength = 0;
    const std::size_t echo = static_cast<std::size_t>(std::max(0, EchoLength.load()));
    // Only the echo so far: the reply is still to come.
    if (echo >= frame.size()) return;

    // The request is taken (and the master left idle) before decoding, so a request issued from an
    // event handler, or meanwhile on the window thread, is not forgotten with this reply.
    const Request request{PendingFunction.exchange(-1), PendingStart.load(), PendingCount.load()};
    EchoLength = 0;

    const std::span<const std::uint8_t> reply = frame.subspan(echo);
    if (reply.size() < MinReply) return;
    const std::span<const std::uint8_t> body = reply.first(reply.size() - 2);
    const std::uint16_t received =
        static_cast<std::uint16_t>(reply[reply.size() - 1] << 8 | reply[reply.size() - 2]);
    const std::uint8_t function = body[1];
    const bool accepted = body[0] == Node && received == ModbusCRC(body) && (function & 0x80) == 0 &&
                          function == request.function;
    if (accepted) decodeReply(request, body);
}

// ---------------------------------------------------------------------------------------------
// TMiniModbusMaster: decoder, one handler per function

void TMiniModbusMaster::decodeReply(const Request& request, std::span<const std::uint8_t> body) {
    switch (request.function) {
    case 1:
        return decodeBits(body, request, TDataType::dtCoil, Coils);
    case 2:
        return decodeBits(body, request, TDataType::dtDiscreteInput, DiscreteInputs);
    case 3:
        return decodeRegisters(body, request, TDataType::dtHoldingRegister, HoldingRegisters);
    case 4:
        return decodeRegisters(body, request, TDataType::dtInputRegister, InputRegisters);
    case 5:
        return decodeSingleCoil(body);
    case 6:
        return decodeSingleRegister(body);
    case 16:
        return decodeBlockWrite();
    default:
        return; // accepted but not one we decode
    }
}

void TMiniModbusMaster::decodeBits(std::span<const std::uint8_t> body, const Request& request, TDataType type,
                                   ProcessImage<bool, 65>& image) {
    if (body.size() < 3) return;
    const std::int64_t byteCount = body[2];
    if (byteCount != (request.count - 1) / 8 + 1) return;
    if (3 + static_cast<std::size_t>(byteCount) > body.size()) return;
    if (!insideImage(request.start, request.count, image.size())) return;
    for (std::int64_t i = 0; i < request.count; ++i) {
        const bool bit = (body[3 + static_cast<std::size_t>(i / 8)] >> (i % 8) & 1) != 0;
        image[static_cast<std::size_t>(request.start + i)] = bit;
        arrive(type, request.start + i, bit ? 1 : 0);
    }
}

void TMiniModbusMaster::decodeRegisters(std::span<const std::uint8_t> body, const Request& request,
                                        TDataType type, ProcessImage<std::uint16_t, 1025>& image) {
    if (body.size() < 3) return;
    const std::int64_t byteCount = body[2];
    if (byteCount != 2 * request.count) return;
    if (3 + static_cast<std::size_t>(byteCount) > body.size()) return;
    if (!insideImage(request.start, request.count, image.size())) return;
    for (std::int64_t i = 0; i < request.count; ++i) {
        const std::uint16_t value = word(body, 3 + 2 * static_cast<std::size_t>(i));
        image[static_cast<std::size_t>(request.start + i)] = value;
        arrive(type, request.start + i, value);
    }
}

void TMiniModbusMaster::decodeSingleCoil(std::span<const std::uint8_t> body) {
    if (body.size() < 6) return;
    const std::uint16_t address = word(body, 2);
    const std::uint16_t value = word(body, 4);
    if (!insideImage(address, 1, Coils.size())) return;
    Coils[address] = value != 0;
    // The raw echoed value (FF00 hex for "on"), as the slave sent it.
    arrive(TDataType::dtCoil, address, value);
}

void TMiniModbusMaster::decodeSingleRegister(std::span<const std::uint8_t> body) {
    if (body.size() < 6) return;
    const std::uint16_t address = word(body, 2);
    const std::uint16_t value = word(body, 4);
    if (!insideImage(address, 1, HoldingRegisters.size())) return;
    HoldingRegisters[address] = value;
    arrive(TDataType::dtHoldingRegister, address, value);
}

void TMiniModbusMaster::decodeBlockWrite() {
    if (OnWordBlockWriting) OnWordBlockWriting(this);
}

void TMiniModbusMaster::arrive(TDataType type, std::int64_t address, std::int32_t data) {
    if (OnDataArrival) OnDataArrival(this, type, static_cast<std::int32_t>(address), data);
}
