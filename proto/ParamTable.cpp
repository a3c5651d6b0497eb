#include "proto/ParamTable.h"

#include <algorithm>
#include <limits>
#include <unordered_map>

namespace qv7 {

namespace {

std::uint32_t lowBits(int bits) {
    return bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
}

// The member's bits, two's complement for a signed one; little-endian in the record.
// The record is its 200 bytes (asserted in ParamImage.h): a member is read and written through them.
std::uint32_t memberBits(const TParamImage& p, const RecordMember& m) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&p);
    std::uint32_t bits = 0;
    for (int i = m.bytes - 1; i >= 0; --i)
        bits = bits << 8 | bytes[static_cast<std::size_t>(m.offset + i)];
    return bits;
}

void setMemberBits(TParamImage& p, const RecordMember& m, std::uint32_t bits) {
    auto* bytes = reinterpret_cast<std::uint8_t*>(&p);
    for (int i = 0; i < m.bytes; ++i)
        bytes[static_cast<std::size_t>(m.offset + i)] = static_cast<std::uint8_t>(bits >> (8 * i));
}

// Every member that travels, once, in record order.
std::vector<RecordMember> buildMembers() {
    std::vector<RecordMember> members;
    for (const ParamRow& r : paramTable()) {
        if (r.member.address < 0) continue;
        const bool known = std::any_of(members.begin(), members.end(),
                                       [&r](const RecordMember& m) { return m.offset == r.member.offset; });
        if (!known) members.push_back(r.member);
    }
    return members;
}

const std::vector<RecordMember>& travellingMembers() {
    static const std::vector<RecordMember> members = buildMembers();
    return members;
}

// Each block from its start to the last register a member travels in (or lands with).
std::vector<RegisterBlock> buildBlocks() {
    std::vector<RegisterBlock> blocks;
    const int starts[] = {ConfigBlockStart, AlarmBlockStart, TableStart};
    for (std::size_t b = 0; b + 1 < std::size(starts); ++b) {
        int last = starts[b] - 1;
        for (const RecordMember& m : travellingMembers())
            if (m.address >= starts[b] && m.address < starts[b + 1])
                last = std::max({last, m.address, m.arrival()});
        blocks.push_back({starts[b], last - starts[b] + 1});
    }
    return blocks;
}

} // namespace

const std::vector<RegisterBlock>& parameterBlocks() {
    static const std::vector<RegisterBlock> blocks = buildBlocks();
    return blocks;
}

TParamImage defaultParams(std::uint32_t typeWord) {
    TParamImage p;
    for (const ParamRow& r : paramTable())
        storeRaw(r, p, r.defaultOf ? r.defaultOf(typeWord) : r.defaultRaw);
    return p;
}

const ParamRow* findParam(const std::string& key) {
    static const auto index = [] {
        std::unordered_map<std::string, const ParamRow*> map;
        for (const ParamRow& r : paramTable())
            map.emplace(r.key, &r);
        return map;
    }();
    const auto it = index.find(key);
    return it == index.end() ? nullptr : it->second;
}

bool ParamRow::isSigned() const {
    return kind != ParamKind::Spare && width == 0 && member.isSigned;
}

std::uint32_t ParamRow::mask() const {
    const int bits = member.bits();
    if (kind == ParamKind::Spare) return lowBits(bits) & ~usedBits;
    return width == 0 ? lowBits(bits) : lowBits(width) << shift;
}

std::int64_t rawValue(const ParamRow& row, const TParamImage& params) {
    const std::uint32_t bits = memberBits(params, row.member) & row.mask();
    if (row.kind == ParamKind::Spare) return bits;
    if (!row.isSigned()) return bits >> row.shift;
    const int width = row.member.bits();
    return width == 16 ? static_cast<std::int16_t>(bits) : static_cast<std::int32_t>(bits);
}

bool storeRaw(const ParamRow& row, TParamImage& params, std::int64_t raw) {
    const std::uint32_t mask = row.mask();
    std::uint32_t bits = 0;
    if (row.kind == ParamKind::Spare) {
        if (raw < 0 || raw > std::numeric_limits<std::uint32_t>::max() ||
            (static_cast<std::uint32_t>(raw) & ~mask))
            return false;
        bits = static_cast<std::uint32_t>(raw);
    } else if (row.isSigned()) {
        const int width = row.member.bits();
        const std::int64_t lowest = -(std::int64_t{1} << (width - 1)),
                           highest = (std::int64_t{1} << (width - 1)) - 1;
        if (raw < lowest || raw > highest) return false;
        bits = static_cast<std::uint32_t>(raw) & mask;
    } else {
        if (raw < 0 || raw > (mask >> row.shift)) return false;
        bits = static_cast<std::uint32_t>(raw) << row.shift;
    }
    const std::uint32_t word = memberBits(params, row.member);
    setMemberBits(params, row.member, (word & ~mask) | bits);
    return true;
}

bool paramPresent(const ParamRow& row, std::uint32_t typeWord) {
    return row.presentWith == 0 || (typeWord & row.presentWith) != 0;
}

ParamLimits pageLimits(const ParamRow& row, std::uint32_t typeWord) {
    if (row.limits) return row.limits(typeWord);
    return {0, static_cast<std::int64_t>(row.choices.size()) - 1};
}

std::int64_t rawOfItem(const ParamRow& row, std::int64_t item) {
    if (row.kind == ParamKind::Number || row.kind == ParamKind::Spare) return item;
    if (item >= 0 && item < static_cast<std::int64_t>(row.choices.size()))
        return row.choices[static_cast<std::size_t>(item)].raw;
    return item;
}

std::optional<std::int64_t> itemOfRaw(const ParamRow& row, std::int64_t raw) {
    if (row.kind == ParamKind::Number || row.kind == ParamKind::Spare) return raw;
    // A switch on a whole member is on for any non-zero value.
    if (row.kind == ParamKind::Switch && row.width == 0) return raw != 0 ? 1 : 0;
    for (std::size_t i = 0; i < row.choices.size(); ++i)
        // -1 marks "no alias": a raw -1 is no choice at all, not the first one's alias.
        if (row.choices[i].raw == raw || (row.choices[i].alias >= 0 && row.choices[i].alias == raw))
            return static_cast<std::int64_t>(i);
    return std::nullopt;
}

const ParamChoice* choiceOf(const ParamRow& row, std::int64_t raw) {
    if (row.kind != ParamKind::Choice && row.kind != ParamKind::Switch) return nullptr;
    const auto item = itemOfRaw(row, raw);
    return item ? &row.choices[static_cast<std::size_t>(*item)] : nullptr;
}

ParamLimits displayRangeOfDigits(bool fourDigits) {
    return fourDigits ? ParamLimits{-1999, 9999} : ParamLimits{-19999, 19999};
}

// --- The register map --------------------------------------------------------------------------

ConfigRegisters registersFromParams(const TParamImage& p) {
    ConfigRegisters r{};
    for (const RecordMember& slot : travellingMembers()) {
        const std::uint32_t bits = memberBits(p, slot) & lowBits(16 - slot.registerBit);
        if (slot.address >= static_cast<int>(r.size())) continue;
        auto& word = r[static_cast<std::size_t>(slot.address)];
        word = static_cast<std::uint16_t>(word | (bits << slot.registerBit));
    }
    return r;
}

std::uint16_t linControlWord(const TParamImage& p) {
    return registersFromParams(p)[LinControlRegister];
}

void storeHoldingRegister(TParamImage& p, int address, const ConfigRegisters& w) {
    if (address < 0 || address >= static_cast<int>(w.size())) return;
    for (const RecordMember& slot : travellingMembers()) {
        if (slot.arrival() != address) continue;
        const std::uint32_t value =
            (static_cast<std::uint32_t>(w[static_cast<std::size_t>(slot.address)]) >> slot.registerBit) &
            lowBits(slot.readBits);
        const std::uint32_t bits =
            slot.signedRead ? static_cast<std::uint32_t>(static_cast<std::int16_t>(value)) : value;
        setMemberBits(p, slot, bits);
    }
}

void paramsFromRegisters(TParamImage& p, const ConfigRegisters& w) {
    for (int address = 0; address < static_cast<int>(w.size()); ++address)
        storeHoldingRegister(p, address, w);
}

} // namespace qv7
