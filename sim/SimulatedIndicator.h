// SimulatedIndicator: a panel indicator at Modbus address 255 on the serial line of a SimulatedBridge.
// It frames the request bytes itself and lets libmodbus build the replies from its register bank.
// Requests arrive on the thread writing the bridge's reports; tests inspect the bank from their own
// thread; every operation is thread-safe.
#pragma once

#include "proto/Crc.h" // modbusCrc, which the simulated indicator checks every request with

#include "sim/SimulatedBridge.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <utility>
#include <vector>

namespace qv7 {

class SimulatedIndicator : public SerialPeer {
public:
    static constexpr std::uint16_t DefaultTypeWord = 0x4053; // 4½ digits, five-choice input, four alarms,
                                                             // analogue output, RS485
    static constexpr std::uint8_t SlaveAddress = 255;
    static constexpr int HoldingCount = 1001; // holding registers 0..1000
    static constexpr int InputCount = 9;      // input registers 0..8

    enum class Fault {
        DropReply,    // the request is carried out, its reply lost
        CorruptCrc,   // the request is carried out, its reply arrives with a wrong CRC
        WrongAddress, // the request is carried out, its reply carries another slave address
        Exception,    // the request is refused with exception 04 (slave device failure)
        Delay,        // the request is carried out, its reply comes after the reply delay
        Silent        // the request is neither carried out nor answered
    };

    // Bank filled with defaultRegisters(typeWord). Throws std::runtime_error when no pseudo-terminal
    // or libmodbus context can be had.
    explicit SimulatedIndicator(std::uint16_t typeWord = DefaultTypeWord);
    // Bank of zeros but for the given holding registers (addresses outside 0..1000 are ignored).
    SimulatedIndicator(std::uint16_t typeWord, const std::map<int, std::uint16_t>& holdingRegisters);
    ~SimulatedIndicator() override;
    SimulatedIndicator(const SimulatedIndicator&) = delete;
    SimulatedIndicator& operator=(const SimulatedIndicator&) = delete;

    // A plausible configured indicator of this type: input, display, output, serial port, protection,
    // four alarms and a straight two-point linearisation.
    static std::map<int, std::uint16_t> defaultRegisters(std::uint16_t typeWord);

    // Register access; an address outside the bank reads 0 and ignores writes.
    std::uint16_t holding(int address) const;
    void setHolding(int address, std::uint16_t value);
    std::uint16_t input(int address) const;
    void setInput(int address, std::uint16_t value);

    // Every request accepted (address and CRC good), in order, CRC included; requests hit by a
    // fault are recorded too, since they did reach the indicator.
    std::vector<std::vector<std::uint8_t>> requests() const;
    void clearRequests();

    // The nextRequests requests that follow the next afterRequests ones suffer the fault (replaces
    // an earlier count).
    void injectFault(Fault fault, int nextRequests, int afterRequests = 0);
    // Each request suffers the fault with this probability, drawn from a generator seeded with seed.
    void injectFaultRandomly(Fault fault, double probability, std::uint32_t seed);
    // As above for several faults at once: one draw a request, each fault with its own probability.
    void injectFaultsRandomly(const std::vector<std::pair<Fault, double>>& faults, std::uint32_t seed);
    // How often each fault has struck so far.
    std::map<Fault, int> faultsInjected() const;
    void clearFaults();
    // The wait that Fault::Delay adds before the reply; 100 ms by default. The bridge's clock applies it.
    void setReplyDelay(std::chrono::milliseconds delay);
    // The code Fault::Exception answers with; 04 (slave device failure) by default.
    void setExceptionCode(std::uint8_t code);
    // Answers nothing (and carries nothing out) until cleared.
    void setSilent(bool silent);

    // SerialPeer: bridge's writer thread. Never throws.
    std::vector<std::uint8_t> receiveSerial(std::span<const std::uint8_t> bytes) override;
    SerialAnswer answerSerial(std::span<const std::uint8_t> bytes) override;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace qv7
