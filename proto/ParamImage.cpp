#include "proto/ParamImage.h"

#include <cstring>

TParamImage::TParamImage() {
    std::memset(static_cast<void*>(this), 0, sizeof(*this));
}

std::array<std::uint8_t, TParamImage::Size> TParamImage::bytes() const {
    std::array<std::uint8_t, Size> out{};
    std::memcpy(out.data(), static_cast<const void*>(this), Size);
    return out;
}

TParamImage TParamImage::fromBytes(std::span<const std::uint8_t, Size> bytes) {
    TParamImage image;
    std::memcpy(static_cast<void*>(&image), bytes.data(), Size);
    return image;
}

bool TParamImage::operator==(const TParamImage& other) const {
    return bytes() == other.bytes();
}

namespace qv7 {

void storeTypeWord(TParamImage& p, std::uint16_t typeWord) {
    p.DeviceType = typeWord;
}

float floatFromWords(std::uint16_t low, std::uint16_t high) {
    return std::bit_cast<float>(static_cast<std::uint32_t>(low | (static_cast<std::uint32_t>(high) << 16)));
}

std::array<std::uint16_t, 2> wordsFromFloat(float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    return {static_cast<std::uint16_t>(bits & 0xFFFF), static_cast<std::uint16_t>(bits >> 16)};
}

TableRegisters registersFromLinTable(const TLinTable& table) {
    TableRegisters r{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        const auto y = wordsFromFloat(table[i].Ordinate);
        const auto x = wordsFromFloat(table[i].Abscissa);
        r[4 * i] = y[0];
        r[4 * i + 1] = y[1];
        r[4 * i + 2] = x[0];
        r[4 * i + 3] = x[1];
    }
    return r;
}

TLinTable linTableFromRegisters(const TableRegisters& r) {
    TLinTable table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i].Ordinate = floatFromWords(r[4 * i], r[4 * i + 1]);
        table[i].Abscissa = floatFromWords(r[4 * i + 2], r[4 * i + 3]);
    }
    return table;
}

} // namespace qv7
