// What each parameter of the record is, said once: its key, labels, place in the record and in the
// registers, its choices, which indicators have it and what a user may give it. The register map,
// qv7ctl's show/set/import/diff and the window's pages all read this table. Pure data and pure
// functions: any thread may call them.
#pragma once

#include "proto/ParamImage.h"
#include "proto/TypeWord.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qv7 {

// One member of the record: where it lies, and how it travels in the holding registers. Several rows
// may share a member (each takes some of its bits); the register map is made of the members.
struct RecordMember {
    int offset = 0;          // byte offset in the 200-byte record
    int bytes = 1;           // 1, 2 or 4, little-endian
    bool isSigned = false;   // two's complement
    int address = -1;        // the holding register it is sent in; -1 it does not travel
    int registerBit = 0;     // the member's bit 0 in the register
    int readBits = 16;       // bits stored on arrival (the rest of the member is cleared)
    bool signedRead = false; // a 16-bit value sign-extended into the member
    int landsWith = -1;      // the register whose arrival stores it; -1 its own. A group of
                             // registers lands together with its last one.

    int bits() const { return 8 * bytes; }
    int arrival() const { return landsWith < 0 ? address : landsWith; }
};

// The holding-register blocks read-all reads and write-all writes, in order: each runs from its
// start to the last register a member travels in.
struct RegisterBlock {
    int start = 0;
    int count = 0;
    int last() const { return start + count - 1; }
};
const std::vector<RegisterBlock>& parameterBlocks();

enum class ParamKind : std::uint8_t {
    Number, // a count in display units, tenths or hundredths
    Choice, // one of `choices`
    Switch, // off/on
    Spare,  // bits no choice uses, given as the masked member itself
};

struct ParamChoice {
    std::int64_t raw;        // what the record keeps for it
    std::string french;      // as the page shows it
    std::string english;     // as qv7ctl shows it
    std::int64_t alias = -1; // another raw value read as this choice, -1 none
};

// The page range of a parameter on an indicator of a given type word.
struct ParamLimits {
    std::int64_t lowest = 0;
    std::int64_t highest = 0;
};

struct ParamRow {
    std::string key;     // show --json's key: "alarm2.threshold"
    std::string english; // "Alarm 2 threshold"
    std::string french;  // "Seuil d'alarme 2", the label a write check names
    RecordMember member;
    int alarm = -1; // 0-3 for an alarm's parameters
    int shift = 0;  // first bit within the member
    int width = 0;  // bits within the member; 0 the whole member
    ParamKind kind = ParamKind::Number;
    int decimals = 0; // raw / 10^decimals is the value a user reads
    std::string unit; // "s", "display units", "baud"; empty for choices
    std::vector<ParamChoice> choices;
    // Type-word bits of which any one makes the parameter exist; 0 every indicator has it.
    std::uint32_t presentWith = 0;
    std::string absentReason;   // "this indicator has no RS485"
    std::uint32_t usedBits = 0; // a spare row: the member's bits the other rows carry
    bool onPage = true;         // a page control sets it (false: another window, or no one)
    // What a page accepts on an indicator of this type word: a number's range, or the page items of
    // a choice or switch (item i stores choices[i].raw). Null: every choice.
    ParamLimits (*limits)(std::uint32_t typeWord) = nullptr;
    // The raw value of a freshly configured indicator (the simulated one starts with it); a
    // function of the type word when `defaultOf` is set.
    std::int64_t defaultRaw = 0;
    std::int64_t (*defaultOf)(std::uint32_t typeWord) = nullptr;

    bool isSigned() const;
    std::uint32_t mask() const; // the bits within the member, in place
};

// Every parameter, in record order (the type word is not one of them).
const std::vector<ParamRow>& paramTable();
const ParamRow* findParam(const std::string& key);

// The record of a freshly configured indicator of this type word: every row's default.
TParamImage defaultParams(std::uint32_t typeWord);

// The row's value as the record holds it (bits masked and shifted down, signed members signed).
std::int64_t rawValue(const ParamRow& row, const TParamImage& params);
// Stores `raw` into the row's bits; false, record untouched, when `raw` does not fit them.
bool storeRaw(const ParamRow& row, TParamImage& params, std::int64_t raw);

// Whether an indicator of this type word has the parameter at all.
bool paramPresent(const ParamRow& row, std::uint32_t typeWord);
// What a page lets a user give it on that indicator: a number's range in raw units, or the items of
// a choice or switch (0 to the last item the page offers).
ParamLimits pageLimits(const ParamRow& row, std::uint32_t typeWord);
// The raw value a page item stores (the item itself for a number).
std::int64_t rawOfItem(const ParamRow& row, std::int64_t item);
// The page item of a raw value, nullopt when no item stands for it.
std::optional<std::int64_t> itemOfRaw(const ParamRow& row, std::int64_t raw);
// The choice of this raw value, if any.
const ParamChoice* choiceOf(const ParamRow& row, std::int64_t raw);

// Type-word bit 2: the 4-digit family.
inline bool fourDigitsOf(std::uint32_t typeWord) {
    return typeword::fourDigits(typeWord);
}
// The display's range by its digits: -1999 to 9999 with 4 digits, -19999 to 19999 with 4½.
ParamLimits displayRangeOfDigits(bool fourDigits);
inline ParamLimits displayRange(std::uint32_t typeWord) {
    return displayRangeOfDigits(fourDigitsOf(typeWord));
}

} // namespace qv7
