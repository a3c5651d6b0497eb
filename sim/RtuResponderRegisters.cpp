// The register bank libmodbus answers from, the same whatever carries its frames.
#include "sim/RtuResponder.h"

#include <modbus.h>

namespace qv7 {

// The indicator reads write-multiple data low byte first, where libmodbus stored it high byte first.
void RtuResponder::swapWrittenRegisters(std::span<const std::uint8_t> request) {
    const int start = (request[2] << 8) | request[3];
    const int count = (request[4] << 8) | request[5];
    for (int address = start; address < start + count && address < mapping_->nb_registers; ++address) {
        const std::uint16_t value = mapping_->tab_registers[address];
        mapping_->tab_registers[address] = static_cast<std::uint16_t>((value >> 8) | (value << 8));
    }
}

std::uint16_t RtuResponder::holding(int address) const {
    if (address < 0 || address >= mapping_->nb_registers) return 0;
    return mapping_->tab_registers[address];
}

void RtuResponder::setHolding(int address, std::uint16_t value) {
    if (address < 0 || address >= mapping_->nb_registers) return;
    mapping_->tab_registers[address] = value;
}

std::uint16_t RtuResponder::input(int address) const {
    if (address < 0 || address >= mapping_->nb_input_registers) return 0;
    return mapping_->tab_input_registers[address];
}

void RtuResponder::setInput(int address, std::uint16_t value) {
    if (address < 0 || address >= mapping_->nb_input_registers) return;
    mapping_->tab_input_registers[address] = value;
}

} // namespace qv7
