// What both programs take from the command line for their simulated indicators, beside the faults
// (sim/Faults.h): the type word of --simulate=TYPEWORD and the most indicators --simulate-count takes.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace qv7 {

inline constexpr int MaxSimulatedDevices = 16;

// "0x4053" (hex after 0x or 0X) or "16467" (decimal); nothing for anything else or above 0xFFFF.
std::optional<std::uint16_t> parseTypeWord(std::string_view text);

} // namespace qv7
