// RtuResponder: libmodbus's slave side, driven frame by frame. A complete, checked request goes to
// modbus_reply on an RTU context whose line is a pseudo-terminal, and the reply is read back from the
// terminal's other side. Not thread-safe: SimulatedIndicator calls it under its own lock.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

typedef struct _modbus modbus_t;
typedef struct _modbus_mapping_t modbus_mapping_t;

namespace qv7 {

class RtuResponder {
public:
    // Holding registers 0..holdingCount-1 and input registers 0..inputCount-1, all zero.
    // Throws std::runtime_error when the pseudo-terminal or the libmodbus context cannot be had.
    RtuResponder(int holdingCount, int inputCount);
    ~RtuResponder();
    RtuResponder(const RtuResponder&) = delete;
    RtuResponder& operator=(const RtuResponder&) = delete;

    // The reply libmodbus gives to one complete request (CRC included), CRC included; empty when it
    // gives none. A write-multiple request's data is taken low byte first, as the indicator does.
    std::vector<std::uint8_t> reply(std::span<const std::uint8_t> request);

    // Out-of-range addresses read 0 and ignore writes.
    std::uint16_t holding(int address) const;
    void setHolding(int address, std::uint16_t value);
    std::uint16_t input(int address) const;
    void setInput(int address, std::uint16_t value);

private:
    void drainTerminal();
    std::vector<std::uint8_t> readTerminal(std::size_t count);
    void swapWrittenRegisters(std::span<const std::uint8_t> request);

    int master_ = -1;
    modbus_t* context_ = nullptr;
    modbus_mapping_t* mapping_ = nullptr;
};

} // namespace qv7
