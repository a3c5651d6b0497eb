// The Modbus RTU check: one routine for the master, the simulated indicator and the tests. Pure.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace qv7 {

// CRC-16/MODBUS of the bytes (FFFF for none); sent low byte first.
std::uint16_t modbusCrc(std::span<const std::uint8_t> bytes);
// Appends the CRC of `frame`, low byte first.
void appendCrc(std::vector<std::uint8_t>& frame);
// True when the last two bytes are the CRC of the ones before them (at least four bytes).
bool crcIntact(std::span<const std::uint8_t> frame);

} // namespace qv7
