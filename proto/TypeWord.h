// The type word (input register 0): which indicator this is. Every bit is named and decoded here
// and nowhere else. Pure functions: any thread may call them.
#pragma once

#include <cstdint>

namespace qv7::typeword {

inline constexpr std::uint32_t AlarmCount = 0x0003;   // 1: two alarms, 2 or 3: four
inline constexpr std::uint32_t FourAlarms = 0x0002;   // set by the four-alarm code
inline constexpr std::uint32_t FourDigits = 0x0004;   // the 4-digit family (else 4½)
inline constexpr std::uint32_t Output = 0x0010;       // analogue output
inline constexpr std::uint32_t OptionBit5 = 0x0020;   // "-OP" in the model name
inline constexpr std::uint32_t Rs485 = 0x0040;        // RS485, "-RS" in the model name
inline constexpr std::uint32_t Service = 0x0080;      // the maker's service flag
inline constexpr std::uint32_t CurrentInput = 0x0100; // bits 8-15: the inputs, see InputCodes
inline constexpr std::uint32_t VoltageInput = 0x0200;
inline constexpr std::uint32_t ProbeInput = 0x0400;
inline constexpr std::uint32_t ThermocoupleInput = 0x0800;
inline constexpr std::uint32_t FiveChoice = 0x4000; // configurable among five inputs
inline constexpr std::uint32_t TwoChoice = 0x8000;  // configurable between current and voltage
inline constexpr std::uint32_t Configurable = FiveChoice | TwoChoice;
inline constexpr std::uint32_t DisplayedInputs = CurrentInput | VoltageInput | ThermocoupleInput;

// Model-designation codes of bits 8..15, the four-alarm code, the option suffixes of bits 5 and 6.
inline constexpr const char* InputCodes[8] = {"MA", "V", "PT", "TC", "P", "F", "UNI", "UI"};
inline constexpr char FourAlarmCode[] = "4RL";
inline constexpr char OptionSuffixBit5[] = "-OP";
inline constexpr char OptionSuffixBit6[] = "-RS";

constexpr bool fourDigits(std::uint32_t t) {
    return (t & FourDigits) != 0;
}
constexpr bool fourAlarmModel(std::uint32_t t) {
    return (t & AlarmCount) >= 2;
}
constexpr bool serviceFlag(std::uint32_t t) {
    return (t & Service) != 0;
}
constexpr bool offersFiveInputs(std::uint32_t t) {
    return (t & FiveChoice) != 0;
}
constexpr bool offersTwoInputs(std::uint32_t t) {
    return (t & TwoChoice) != 0;
}

// The input code of the model name: the configurable inputs first, since a multi-input indicator
// also sets the single-input bits; nullptr when no input bit is set.
constexpr const char* inputCode(std::uint32_t t) {
    constexpr int order[] = {14, 15, 13, 12, 11, 10, 9, 8};
    for (int bit : order)
        if (t & (1u << bit)) return InputCodes[bit - 8];
    return nullptr;
}

// The input-type choice a dedicated-input indicator works with (0 current ... 3 thermocouple);
// 0 for a configurable one.
constexpr int dedicatedInput(std::uint32_t t) {
    if (t & Configurable) return 0;
    if (t & CurrentInput) return 0;
    if (t & VoltageInput) return 1;
    if (t & ProbeInput) return 2;
    if (t & ThermocoupleInput) return 3;
    return 0;
}

} // namespace qv7::typeword
