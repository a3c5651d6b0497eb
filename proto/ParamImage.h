// The indicator's parameter image: the 200-byte little-endian record that read-all fills, write-all
// sends and a parameter file holds, the 32-point linearisation table, and the register map between
// them and the indicator's Modbus registers. Pure data and pure functions: any thread may call them.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

static_assert(std::endian::native == std::endian::little,
              "the record's bytes are copied as they lie in memory, so the host must be little-endian");

// One alarm: six bytes, fed by three holding registers (threshold, hysteresis, delay + flags).
struct TAlarmRecord {
    std::int16_t Threshold;  // set point in display units
    std::int16_t Hysteresis; // in display units
    std::uint8_t Delay;      // tenths of a second (low byte of the third register)
    std::uint8_t AlarmFlags; // bit 0 relay normally closed, bit 4 LED on the NC contact (high byte)
};
static_assert(sizeof(TAlarmRecord) == 6);

// The record itself. Natural alignment gives exactly the file's layout once the unused gaps are
// spelled out, so no packing pragma is needed; the asserts below hold the offsets.
struct TParamImage {
    static constexpr std::size_t Size = 200;

    std::array<std::uint8_t, 21> Magic; // byte 0 the length (20), then the text; set only by a save
    std::uint8_t Unused21[3];
    std::uint32_t DeviceType; // the type word, input register 0
    std::uint8_t InputConfig; // holding 0, low byte
    std::uint8_t Unused29[3];
    std::uint32_t InputOptions; // holding 1, kept unsigned
    std::uint8_t LinEnable;     // holding 2 bit 0
    std::uint8_t LinLastPoint;  // holding 2 bits 8-12
    std::uint8_t Unused38[2];
    std::int32_t Filter;                // holding 3
    std::int16_t DisplayHigh;           // holding 4
    std::int16_t DisplayLow;            // holding 5
    std::uint16_t DisplayFlags;         // holding 6
    std::int16_t OutputHigh;            // holding 7
    std::int16_t OutputLow;             // holding 8
    std::int16_t OutputOption;          // holding 9
    std::int32_t SerialConfig;          // holding 10
    std::int32_t Protection;            // holding 11 AND 3
    std::array<TAlarmRecord, 4> Alarms; // holding 16-27, three registers per alarm
    std::uint8_t Unused88[112];

    // A new record is all zero bytes.
    TParamImage();

    // The 200 bytes in record order (the parameter-file content).
    std::array<std::uint8_t, Size> bytes() const;
    // The record made of exactly these 200 bytes.
    static TParamImage fromBytes(std::span<const std::uint8_t, Size> bytes);

    bool operator==(const TParamImage& other) const; // byte-wise
};

static_assert(sizeof(TParamImage) == 200);
static_assert(offsetof(TParamImage, Magic) == 0);
static_assert(offsetof(TParamImage, DeviceType) == 24);
static_assert(offsetof(TParamImage, InputConfig) == 28);
static_assert(offsetof(TParamImage, InputOptions) == 32);
static_assert(offsetof(TParamImage, LinEnable) == 36);
static_assert(offsetof(TParamImage, LinLastPoint) == 37);
static_assert(offsetof(TParamImage, Filter) == 40);
static_assert(offsetof(TParamImage, DisplayHigh) == 44);
static_assert(offsetof(TParamImage, DisplayLow) == 46);
static_assert(offsetof(TParamImage, DisplayFlags) == 48);
static_assert(offsetof(TParamImage, OutputHigh) == 50);
static_assert(offsetof(TParamImage, OutputLow) == 52);
static_assert(offsetof(TParamImage, OutputOption) == 54);
static_assert(offsetof(TParamImage, SerialConfig) == 56);
static_assert(offsetof(TParamImage, Protection) == 60);
static_assert(offsetof(TParamImage, Alarms) == 64);
static_assert(offsetof(TParamImage, Unused88) == 88);

// One linearisation point, as fractions of full scale: the output first, then the input.
struct TLinPoint {
    float Ordinate = 0.0f;
    float Abscissa = 0.0f;
    bool operator==(const TLinPoint&) const = default;
};
using TLinTable = std::array<TLinPoint, 32>;
static_assert(sizeof(TLinTable) == 256);

namespace qv7 {

// The indicator answers at this Modbus address whatever its RS485 address.
inline constexpr std::uint8_t IndicatorNode = 255;

// Register numbers of the indicator.
inline constexpr int TypeWordRegister = 0; // input
inline constexpr int FirstAdcRegister = 5; // input 5-8: two floats, low word first
// The parameter blocks' starts; where each ends follows from the parameter table's rows.
inline constexpr int ConfigBlockStart = 0;   // holding 0-11
inline constexpr int AlarmBlockStart = 16;   // holding 16-27
inline constexpr int LinControlRegister = 2; // LinEnable + 256 * LinLastPoint
inline constexpr int TableStart = 32;        // holding 32-159, 8 blocks of 16
inline constexpr int TableRegisterCount = 128;
inline constexpr int TableBlockLength = 16;
inline constexpr int CommandRegister = 1000; // adjustments 1-4

// Holding registers 0-27 as one array indexed by register number (those no parameter travels in,
// 12-15 today, are never sent).
using ConfigRegisters = std::array<std::uint16_t, 28>;
// Holding registers 32-159, index 0 = register 32.
using TableRegisters = std::array<std::uint16_t, TableRegisterCount>;

// The register map below comes from the members the parameter table's rows name (ParamTable.cpp).
// Record -> registers 0-11 and 16-27, as write-all sends them (12-15 zero).
ConfigRegisters registersFromParams(const TParamImage& params);
// Register 2's value: LinEnable + 256 * LinLastPoint.
std::uint16_t linControlWord(const TParamImage& params);

// The arrival of holding register `address` (0-27): stores what that arrival completes, taking the
// words of its group from `words` (the registers received so far). Registers 4, 5, 7, 8, 12-17,
// 19, 20, 22, 23, 25, 26 store nothing on their own; other addresses are ignored.
void storeHoldingRegister(TParamImage& params, int address, const ConfigRegisters& words);
// All of registers 0-27 at once (what a complete read-all leaves).
void paramsFromRegisters(TParamImage& params, const ConfigRegisters& words);

// The type word's arrival: DeviceType zero-extended.
void storeTypeWord(TParamImage& params, std::uint16_t typeWord);

// Table <-> registers 32-159: point i in 32+4i..35+4i, ordinate low, high, abscissa low, high.
TableRegisters registersFromLinTable(const TLinTable& table);
TLinTable linTableFromRegisters(const TableRegisters& registers);

// A single-precision value held in two registers, low word in the first.
float floatFromWords(std::uint16_t low, std::uint16_t high);
std::array<std::uint16_t, 2> wordsFromFloat(float value);

} // namespace qv7
