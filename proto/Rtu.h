// Modbus RTU requests as the indicator takes them: how the master encodes one and how a slave that
// has no timing finds where one ends. Pure functions: any thread may call them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace qv7 {

// node, function, address high/low, value (or count) high/low, CRC.
std::vector<std::uint8_t> encodeRequest(std::uint8_t node, std::int32_t function, std::int32_t address,
                                        std::int32_t value);
// Write multiple registers (16): values[start .. start + count) as data. The indicator takes block
// data low byte first, unlike every other 16-bit field.
std::vector<std::uint8_t> encodeWriteMultiple(std::uint8_t node, std::int32_t start, std::int32_t count,
                                              std::span<const std::uint16_t> values);
// A block word as the indicator reads it from the two data bytes in the order they came.
constexpr std::uint16_t blockWord(std::uint8_t first, std::uint8_t second) {
    return static_cast<std::uint16_t>(first | (second << 8));
}

// What the bytes at the front of a slave's line buffer say about the request they start.
enum class Framing { NeedMore, Invalid, Known };
struct FrameLength {
    Framing framing;
    std::size_t length = 0;
};
// The request length from its function code and byte count (at most `maxFrame` bytes).
FrameLength requestLength(std::span<const std::uint8_t> bytes, std::size_t maxFrame = 256);

} // namespace qv7
