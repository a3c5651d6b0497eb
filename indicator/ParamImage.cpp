#include "indicator/ParamImage.h"

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

namespace {

std::uint16_t word(std::int32_t value) {
    return static_cast<std::uint16_t>(value & 0xFFFF);
}
std::int16_t signedWord(std::uint16_t value) {
    return static_cast<std::int16_t>(value);
}

void storeDisplayGroup(TParamImage& p, const ConfigRegisters& w) {
    p.DisplayHigh = signedWord(w[4]);
    p.DisplayLow = signedWord(w[5]);
    p.DisplayFlags = w[6];
}

void storeOutputGroup(TParamImage& p, const ConfigRegisters& w) {
    p.OutputHigh = signedWord(w[7]);
    p.OutputLow = signedWord(w[8]);
    p.OutputOption = signedWord(w[9]);
}

void storeAlarm(TParamImage& p, int alarm, const ConfigRegisters& w) {
    const int first = AlarmBlockStart + 3 * alarm;
    TAlarmRecord& a = p.Alarms[static_cast<std::size_t>(alarm)];
    a.Threshold = signedWord(w[static_cast<std::size_t>(first)]);
    a.Hysteresis = signedWord(w[static_cast<std::size_t>(first + 1)]);
    const std::uint16_t third = w[static_cast<std::size_t>(first + 2)];
    a.Delay = static_cast<std::uint8_t>(third & 0xFF);
    a.AlarmFlags = static_cast<std::uint8_t>(third >> 8);
}

} // namespace

ConfigRegisters registersFromParams(const TParamImage& p) {
    ConfigRegisters r{};
    r[0] = p.InputConfig;
    r[1] = word(static_cast<std::int32_t>(p.InputOptions & 0xFFFF));
    r[2] = linControlWord(p);
    r[3] = word(p.Filter);
    r[4] = static_cast<std::uint16_t>(p.DisplayHigh);
    r[5] = static_cast<std::uint16_t>(p.DisplayLow);
    r[6] = p.DisplayFlags;
    r[7] = static_cast<std::uint16_t>(p.OutputHigh);
    r[8] = static_cast<std::uint16_t>(p.OutputLow);
    r[9] = static_cast<std::uint16_t>(p.OutputOption);
    r[10] = word(p.SerialConfig);
    r[11] = word(p.Protection);
    for (std::size_t k = 0; k < p.Alarms.size(); ++k) {
        const TAlarmRecord& a = p.Alarms[k];
        const std::size_t first = AlarmBlockStart + 3 * k;
        r[first] = static_cast<std::uint16_t>(a.Threshold);
        r[first + 1] = static_cast<std::uint16_t>(a.Hysteresis);
        r[first + 2] = static_cast<std::uint16_t>(a.Delay | (a.AlarmFlags << 8));
    }
    return r;
}

std::uint16_t linControlWord(const TParamImage& p) {
    // Both bytes are whole fields of the record, so the sum always fits a register.
    return static_cast<std::uint16_t>(p.LinEnable + 256 * p.LinLastPoint);
}

void storeHoldingRegister(TParamImage& p, int address, const ConfigRegisters& w) {
    if (address < 0 || address >= static_cast<int>(w.size())) return;
    const std::uint16_t v = w[static_cast<std::size_t>(address)];
    switch (address) {
    case 0:
        p.InputConfig = static_cast<std::uint8_t>(v & 0xFF);
        break;
    case 1:
        p.InputOptions = v;
        break;
    case 2:
        p.LinEnable = static_cast<std::uint8_t>(v & 1);
        p.LinLastPoint = static_cast<std::uint8_t>((v >> 8) & 0x1F);
        break;
    case 3:
        p.Filter = v;
        break;
    case 6:
        storeDisplayGroup(p, w);
        break;
    case 9:
        storeOutputGroup(p, w);
        break;
    case 10:
        p.SerialConfig = v;
        break;
    case 11:
        p.Protection = v & 3;
        break;
    case 18:
    case 21:
    case 24:
    case 27:
        storeAlarm(p, (address - AlarmBlockStart) / 3, w);
        break;
    default:
        break; // the other registers of a group land with its last one
    }
}

void paramsFromRegisters(TParamImage& p, const ConfigRegisters& w) {
    for (int address = 0; address < static_cast<int>(w.size()); ++address)
        storeHoldingRegister(p, address, w);
}

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
