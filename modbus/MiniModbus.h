// Modbus RTU over the HID-serial bridge. TCustomMiniModbus frames, checks and traces; the master
// builds requests for functions 3, 4, 6 and 16 and decodes replies into its process image.
// Requests are sent on the caller's (window) thread and never wait for the reply; replies are
// decoded and their events raised on the reader thread, in ascending address order.
#pragma once

#include "link/HIDSerial.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

enum class TDataType { dtDiscreteInput = 0, dtCoil = 1, dtInputRegister = 2, dtHoldingRegister = 3 };

using TDataArrivalEvent =
    std::function<void(TComponent* Sender, TDataType DataType, std::int32_t Address, std::int32_t Data)>;
using TDebugStreamEvent = std::function<void(TComponent* Sender, const std::string& StrDebug)>;

// A process-image array shared by the reader thread (decoder) and the window thread (owner):
// each element is one atomic word.
template <typename T, std::size_t N>
using ProcessImage = std::array<std::atomic<T>, N>;

class TCustomMiniModbus : public THIDSerial {
public:
    // Sends ModeBit7 then ModeBit6 false to the bridge (each ends after the hand-off limit when no
    // device is attached yet).
    explicit TCustomMiniModbus(qv7::HidAccess& access);

    std::uint8_t Node = 2;
    // Echo handling: when true, a received frame is expected to begin with the echo of the last
    // request, which is skipped before the checks. No part of the tool sets it.
    bool EchoCancel = false;
    TDataArrivalEvent OnDataArrival;
    TDebugStreamEvent TxDebugStream;
    TDebugStreamEvent RxDebugStream;
    TNotifyEvent OnSendComplete; // never raised
    TNotifyEvent OnWordBlockWriting;

    ProcessImage<bool, 65> DiscreteInputs{};
    ProcessImage<bool, 65> Coils{};
    ProcessImage<std::uint16_t, 1025> InputRegisters{};
    ProcessImage<std::uint16_t, 1025> HoldingRegisters{};

    // Caller's thread: "TX : " trace, ModeBit6 := true (a port-format report), then SendFrame.
    bool TransmitFrame(const std::uint8_t* Frame, int Count);
    // Reader thread, inside OnRXFrame: copies the bridge's frame to LastFrame and traces it.
    std::vector<std::uint8_t> FetchFrame();
    static std::uint16_t ModbusCRC(std::span<const std::uint8_t> bytes);
    // "TX : " or "RX : " and two upper-case hex digits and a blank per byte, cut at 255 characters.
    static std::string DebugText(const char* prefix, std::span<const std::uint8_t> bytes);

protected:
    virtual void FrameReceived() {}

    bool PassFrames = true;
    std::uint8_t LastFrame[255] = {};
    int LastLength = 0;

private:
    void HandleFrame(TComponent* Sender);
};

class TMiniModbusMaster : public TCustomMiniModbus {
public:
    explicit TMiniModbusMaster(qv7::HidAccess& access);

    void ReadHoldingRegisters(std::int32_t Start, std::int32_t Count);
    void ReadInputRegisters(std::int32_t Start, std::int32_t Count);
    void WriteSingleRegister(std::int32_t Address, std::int32_t Value);
    // Sends Registers[Start .. Start+Count-1], each low byte first (the indicator's order).
    void WriteMultipleRegisters(std::int32_t Start, std::int32_t Count,
                                const ProcessImage<std::uint16_t, 1025>& Registers);

    // The outstanding request, written before the frame is handed to the bridge.
    std::atomic<std::int32_t> EchoLength{0};
    std::atomic<std::int32_t> PendingFunction{-1};
    std::atomic<std::int32_t> PendingStart{0};
    std::atomic<std::int32_t> PendingCount{0};

protected:
    void FrameReceived() override;

private:
    void SendRequest(std::int32_t Function, std::int32_t Address, std::int32_t Value);
    void decodeBits(const std::uint8_t* reply, int length, TDataType type, ProcessImage<bool, 65>& image);
    void decodeRegisters(const std::uint8_t* reply, int length, TDataType type,
                         ProcessImage<std::uint16_t, 1025>& image);
    void decodeSingle(const std::uint8_t* reply, int length, int function);
};
