// The register bank of a plausible configured indicator, for --simulate and the end-to-end tests.
#include "sim/SimulatedIndicator.h"

#include <bit>

namespace qv7 {

namespace {

constexpr int LinTableFirst = 32;
constexpr int LinPoints = 32;
constexpr int LinLastPoint = 1; // a straight line through two points

struct AlarmSetting {
    std::uint16_t threshold, hysteresis;
    std::uint8_t delay, flags;
};
constexpr AlarmSetting Alarms[4] = {
    {5000, 50, 0x0A, 0x00}, {7500, 75, 0x14, 0x01}, {2500, 25, 0x1E, 0x10}, {9000, 90, 0x28, 0x11}};

// Index of the input configuration that a dedicated-input indicator uses.
std::uint16_t inputConfig(std::uint16_t typeWord) {
    if (typeWord & 0xC000) return 0; // configurable: current
    if (typeWord & 0x0100) return 0;
    if (typeWord & 0x0200) return 1;
    if (typeWord & 0x0400) return 2;
    if (typeWord & 0x0800) return 3;
    return 0;
}

void putFloat(std::map<int, std::uint16_t>& registers, int address, float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    registers[address] = static_cast<std::uint16_t>(bits & 0xFFFF);
    registers[address + 1] = static_cast<std::uint16_t>(bits >> 16);
}

void putLinearisation(std::map<int, std::uint16_t>& registers) {
    for (int point = 0; point < LinPoints; ++point) {
        const float value = point <= LinLastPoint ? static_cast<float>(point) / LinLastPoint : 0.0f;
        putFloat(registers, LinTableFirst + 4 * point, value);     // ordinate
        putFloat(registers, LinTableFirst + 4 * point + 2, value); // abscissa
    }
}

} // namespace

std::map<int, std::uint16_t> SimulatedIndicator::defaultRegisters(std::uint16_t typeWord) {
    const bool fourDigits = (typeWord & 0x0004) != 0;
    const std::uint16_t fullScale = fourDigits ? 9999 : 10000;
    std::map<int, std::uint16_t> r;
    r[0] = inputConfig(typeWord);
    r[1] = 1;                            // 4-20 mA
    r[2] = 0x0001 | (LinLastPoint << 8); // linearisation on, two points
    r[3] = 150;                          // 1.50 s
    r[4] = fullScale;                    // display high
    r[5] = 0;                            // display low
    r[6] = 2;                            // decimal point 2
    r[7] = fullScale;                    // output high
    r[8] = 0;                            // output low
    r[9] = 1;                            // output 4-20 mA
    r[10] = 0x0103;                      // 9600 baud 8N1, address 1
    r[11] = 1;                           // menu protected
    for (int k = 0; k < 4; ++k) {
        const AlarmSetting& a = Alarms[k];
        r[16 + 3 * k] = a.threshold;
        r[17 + 3 * k] = a.hysteresis;
        r[18 + 3 * k] = static_cast<std::uint16_t>(a.delay | (a.flags << 8));
    }
    putLinearisation(r);
    return r;
}

} // namespace qv7
