#include "proto/Rtu.h"

#include "proto/Crc.h"

namespace qv7 {

namespace {

constexpr std::uint8_t hi(std::int64_t value) {
    return static_cast<std::uint8_t>((value >> 8) & 0xFF);
}
constexpr std::uint8_t lo(std::int64_t value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

// Byte-counted requests: the length follows from the byte count at countAt.
FrameLength countedLength(std::span<const std::uint8_t> bytes, std::size_t countAt, std::size_t fixed,
                          std::size_t maxFrame) {
    if (bytes.size() <= countAt) return {Framing::NeedMore};
    const std::size_t length = fixed + bytes[countAt];
    if (length > maxFrame) return {Framing::Invalid};
    return {Framing::Known, length};
}

} // namespace

std::vector<std::uint8_t> encodeRequest(std::uint8_t node, std::int32_t function, std::int32_t address,
                                        std::int32_t value) {
    std::vector<std::uint8_t> frame{node, lo(function), hi(address), lo(address), hi(value), lo(value)};
    appendCrc(frame);
    return frame;
}

std::vector<std::uint8_t> encodeWriteMultiple(std::uint8_t node, std::int32_t start, std::int32_t count,
                                              std::span<const std::uint16_t> values) {
    std::vector<std::uint8_t> frame{node, 0x10, hi(start), lo(start), hi(count), lo(count), lo(2 * count)};
    for (std::int32_t i = 0; i < count; ++i) {
        const std::uint16_t value = values[static_cast<std::size_t>(start + i)];
        frame.push_back(lo(value));
        frame.push_back(hi(value));
    }
    appendCrc(frame);
    return frame;
}

FrameLength requestLength(std::span<const std::uint8_t> bytes, std::size_t maxFrame) {
    if (bytes.size() < 2) return {Framing::NeedMore};
    switch (bytes[1]) {
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
        return {Framing::Known, 8};
    case 7:
    case 11:
    case 12:
    case 17:
        return {Framing::Known, 4};
    case 15:
    case 16:
        return countedLength(bytes, 6, 9, maxFrame);
    case 22:
        return {Framing::Known, 10};
    case 23:
        return countedLength(bytes, 10, 13, maxFrame);
    default:
        return {Framing::Invalid};
    }
}

} // namespace qv7
