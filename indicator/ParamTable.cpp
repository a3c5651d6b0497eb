#include "indicator/ParamTable.h"

#include <algorithm>
#include <limits>
#include <unordered_map>

namespace qv7 {

namespace {

constexpr std::uint32_t FiveChoice = 0x4000, TwoChoice = 0x8000, Configurable = FiveChoice | TwoChoice;
constexpr std::uint32_t AnyAlarm = 0x3, FourAlarms = 0x2, Output = 0x10, Rs485 = 0x40;

// --- The record's members ----------------------------------------------------------------------

struct Member {
    int bits;
    bool isSigned;
};

Member memberOf(RecordField field) {
    switch (field) {
    case RecordField::InputConfig:
    case RecordField::LinEnable:
    case RecordField::LinLastPoint:
    case RecordField::Delay:
    case RecordField::AlarmFlags:
        return {8, false};
    case RecordField::DisplayFlags:
        return {16, false};
    case RecordField::DisplayHigh:
    case RecordField::DisplayLow:
    case RecordField::OutputHigh:
    case RecordField::OutputLow:
    case RecordField::OutputOption:
    case RecordField::Threshold:
    case RecordField::Hysteresis:
        return {16, true};
    case RecordField::InputOptions:
        return {32, false};
    case RecordField::Filter:
    case RecordField::SerialConfig:
    case RecordField::Protection:
        return {32, true};
    }
    return {0, false};
}

std::uint32_t lowBits(int bits) {
    return bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
}

// The member's bits, two's complement for a signed one.
template <typename Visit> auto visitMember(TParamImage& p, RecordField field, int alarm, Visit visit) {
    TAlarmRecord& a = p.Alarms[static_cast<std::size_t>(std::clamp(alarm, 0, 3))];
    switch (field) {
    case RecordField::InputConfig:
        return visit(p.InputConfig);
    case RecordField::InputOptions:
        return visit(p.InputOptions);
    case RecordField::LinEnable:
        return visit(p.LinEnable);
    case RecordField::LinLastPoint:
        return visit(p.LinLastPoint);
    case RecordField::Filter:
        return visit(p.Filter);
    case RecordField::DisplayHigh:
        return visit(p.DisplayHigh);
    case RecordField::DisplayLow:
        return visit(p.DisplayLow);
    case RecordField::DisplayFlags:
        return visit(p.DisplayFlags);
    case RecordField::OutputHigh:
        return visit(p.OutputHigh);
    case RecordField::OutputLow:
        return visit(p.OutputLow);
    case RecordField::OutputOption:
        return visit(p.OutputOption);
    case RecordField::SerialConfig:
        return visit(p.SerialConfig);
    case RecordField::Protection:
        return visit(p.Protection);
    case RecordField::Threshold:
        return visit(a.Threshold);
    case RecordField::Hysteresis:
        return visit(a.Hysteresis);
    case RecordField::Delay:
        return visit(a.Delay);
    case RecordField::AlarmFlags:
        return visit(a.AlarmFlags);
    }
    return visit(p.InputConfig);
}

std::uint32_t memberBits(const TParamImage& p, RecordField field, int alarm) {
    // The visitor only reads.
    auto& image = const_cast<TParamImage&>(p);
    return visitMember(image, field, alarm, [](auto& member) {
        using T = std::remove_reference_t<decltype(member)>;
        return static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<T>>(member));
    });
}

void setMemberBits(TParamImage& p, RecordField field, int alarm, std::uint32_t bits) {
    visitMember(p, field, alarm, [bits](auto& member) {
        using T = std::remove_reference_t<decltype(member)>;
        member = static_cast<T>(static_cast<std::make_unsigned_t<T>>(bits));
    });
}

// --- Limits ----------------------------------------------------------------------------------

ParamLimits fiveOrTwoInputs(std::uint32_t t) {
    return {0, (t & FiveChoice) ? 4 : 1};
}
// The two-choice input has no 0-100 mV range.
ParamLimits voltageRanges(std::uint32_t t) {
    return {0, (t & TwoChoice) && !(t & FiveChoice) ? 1 : 2};
}
ParamLimits pointPositions(std::uint32_t t) {
    return {0, fourDigitsOf(t) ? 3 : 4};
}
ParamLimits filterRange(std::uint32_t) {
    return {0, 9999}; // the edit holds two digits before the point: 99.99 s
}
ParamLimits delayRange(std::uint32_t) {
    return {0, 255}; // tenths of a second in one byte: 0.0 to 25.5 s
}
ParamLimits addressRange(std::uint32_t) {
    return {0, 255};
}
ParamLimits lastPointRange(std::uint32_t) {
    return {1, 31}; // the editor sends at least two points
}

// --- The rows ----------------------------------------------------------------------------------

std::vector<ParamChoice> choices(std::initializer_list<std::pair<const char*, const char*>> items) {
    std::vector<ParamChoice> out;
    for (const auto& [french, english] : items)
        out.push_back({static_cast<std::int64_t>(out.size()), french, english});
    return out;
}

std::vector<ParamChoice> switchChoices(const char* offFrench, const char* offEnglish, const char* onFrench,
                                       const char* onEnglish) {
    return choices({{offFrench, offEnglish}, {onFrench, onEnglish}});
}

ParamRow row(std::string key, std::string english, std::string french, RecordField field, int shift,
             int width, ParamKind kind) {
    ParamRow r{};
    r.key = std::move(key);
    r.english = std::move(english);
    r.french = std::move(french);
    r.field = field;
    r.shift = shift;
    r.width = width;
    r.kind = kind;
    return r;
}

ParamRow& present(ParamRow& r, std::uint32_t bits, std::string reason) {
    r.presentWith = bits;
    r.absentReason = std::move(reason);
    return r;
}

ParamRow spare(std::string key, std::string english, RecordField field, std::uint32_t used, int alarm = -1) {
    ParamRow r = row(std::move(key), std::move(english), {}, field, 0, 0, ParamKind::Spare);
    r.alarm = alarm;
    r.onPage = false;
    r.usedBits = used;
    return r;
}

ParamRow displayUnits(std::string key, std::string english, std::string french, RecordField field,
                      int alarm = -1) {
    ParamRow r = row(std::move(key), std::move(english), std::move(french), field, 0, 0, ParamKind::Number);
    r.alarm = alarm;
    r.unit = "display units";
    r.limits = displayRange;
    return r;
}

void addInput(std::vector<ParamRow>& t) {
    const auto noInput = "the input of this indicator is fixed";
    ParamRow type = row("input.type", "Input type", "Configuration de l'entrée", RecordField::InputConfig, 0,
                        0, ParamKind::Choice);
    type.choices = choices({{"Courant", "current"},
                            {"Tension", "voltage"},
                            {"Sonde Platine", "platinum probe"},
                            {"Thermocouple", "thermocouple"},
                            {"Potentiomètre", "potentiometer"}});
    type.limits = fiveOrTwoInputs;
    t.push_back(present(type, Configurable, noInput));

    ParamRow current = row("input.current_range", "Current range", "Gamme de l'entrée courant",
                           RecordField::InputOptions, 0, 1, ParamKind::Choice);
    current.choices = choices({{"0-20 mA", "0-20 mA"}, {"4-20 mA", "4-20 mA"}});
    t.push_back(present(current, Configurable | 0x100, "this indicator has no current input"));

    ParamRow voltage = row("input.voltage_range", "Voltage range", "Gamme de l'entrée tension",
                           RecordField::InputOptions, 1, 2, ParamKind::Choice);
    voltage.choices = choices({{"0-10 V", "0-10 V"}, {"0-1 V", "0-1 V"}, {"0-100 mV", "0-100 mV"}});
    voltage.limits = voltageRanges;
    t.push_back(present(voltage, Configurable | 0x200, "this indicator has no voltage input"));

    ParamRow tc = row("input.thermocouple", "Thermocouple type", "Type de thermocouple",
                      RecordField::InputOptions, 4, 4, ParamKind::Choice);
    for (const char* name : {"J", "K", "T", "E", "R", "S", "B", "N", "W5"})
        tc.choices.push_back({static_cast<std::int64_t>(tc.choices.size()), name, name});
    t.push_back(present(tc, FiveChoice | 0x800, "this indicator has no thermocouple input"));

    ParamRow wiring = row("input.probe_wiring", "Probe wiring", "Type de sonde thermo-résistive",
                          RecordField::InputOptions, 8, 2, ParamKind::Choice);
    wiring.choices = choices(
        {{"2 fils", "2 wires"}, {"3 fils", "3 wires"}, {"Différentiel de sonde", "probe differential"}});
    t.push_back(present(wiring, FiveChoice | 0x400, "this indicator has no probe input"));

    ParamRow cold =
        row("input.cold_junction", "Cold-junction compensation", "Compensation de la soudure froide",
            RecordField::InputOptions, 10, 1, ParamKind::Switch);
    cold.choices = switchChoices("non", "off", "oui", "on");
    t.push_back(present(cold, FiveChoice | 0x800, "this indicator has no thermocouple input"));

    t.push_back(spare("input.spare_bits", "Input options, unused bits", RecordField::InputOptions, 0x7F7));
}

void addLinearisation(std::vector<ParamRow>& t) {
    ParamRow enabled = row("linearisation.enabled", "Linearisation", "Activation", RecordField::LinEnable, 0,
                           1, ParamKind::Switch);
    enabled.choices = switchChoices("non", "off", "oui", "on");
    t.push_back(enabled);
    ParamRow last = row("linearisation.last_point", "Linearisation points in use", "Nombre de points",
                        RecordField::LinLastPoint, 0, 0, ParamKind::Number);
    last.onPage = false; // the linearisation editor sets it with the table
    last.limits = lastPointRange;
    t.push_back(last);
    t.push_back(spare("linearisation.spare_bits", "Linearisation, unused bits", RecordField::LinEnable, 1));
}

void addDisplay(std::vector<ParamRow>& t) {
    ParamRow filter =
        row("filter", "Filter", "Filtre (en secondes)", RecordField::Filter, 0, 0, ParamKind::Number);
    filter.decimals = 2;
    filter.unit = "s";
    filter.limits = filterRange;
    t.push_back(filter);
    t.push_back(displayUnits("display.full_scale", "Display at full scale", "Pleine échelle d'affichage",
                             RecordField::DisplayHigh));
    t.push_back(displayUnits("display.zero", "Display at zero", "Zéro d'affichage", RecordField::DisplayLow));
    ParamRow point = row("display.decimal_point", "Decimal point position", "Point décimal",
                         RecordField::DisplayFlags, 0, 3, ParamKind::Number);
    point.limits = pointPositions;
    t.push_back(point);
    ParamRow tenths = row("display.tenths", "Tenths of a degree", "Affichage au dixiéme",
                          RecordField::DisplayFlags, 3, 1, ParamKind::Switch);
    tenths.choices = switchChoices("non", "off", "oui", "on");
    t.push_back(tenths);
    ParamRow modulo = row("display.modulo", "Display modulo", "Modulo d'affichage", RecordField::DisplayFlags,
                          4, 2, ParamKind::Choice);
    modulo.choices = choices({{"1", "1"}, {"2", "2"}, {"5", "5"}, {"0", "0"}});
    t.push_back(modulo);
    ParamRow unit = row("display.temperature_unit", "Temperature unit", "Température",
                        RecordField::DisplayFlags, 8, 1, ParamKind::Switch);
    unit.choices = switchChoices("Degré Celsius (°C)", "°C", "Degré Fahrenheit (°F)", "°F");
    t.push_back(unit);
    t.push_back(spare("display.spare_bits", "Display flags, unused bits", RecordField::DisplayFlags, 0x13F));
}

void addOutput(std::vector<ParamRow>& t) {
    const auto none = "this indicator has no analogue output";
    ParamRow high = displayUnits("output.full_scale", "Analogue output full scale at",
                                 "Pleine échelle de la sortie", RecordField::OutputHigh);
    t.push_back(present(high, Output, none));
    ParamRow low =
        displayUnits("output.zero", "Analogue output zero at", "Zéro de la sortie", RecordField::OutputLow);
    t.push_back(present(low, Output, none));
    // Any non-zero value offsets the output; the page sets 1.
    ParamRow offset = row("output.offset", "Analogue output range", "Décalage 20% (0-20 -> 4-20)",
                          RecordField::OutputOption, 0, 0, ParamKind::Switch);
    offset.choices = switchChoices("0-20", "0-20", "4-20", "4-20 (offset 20 %)");
    t.push_back(present(offset, Output, none));
}

void addSerial(std::vector<ParamRow>& t) {
    const auto none = "this indicator has no RS485";
    ParamRow baud = row("rs485.baud", "RS485 baud rate", "Vitesse de transmission", RecordField::SerialConfig,
                        0, 3, ParamKind::Choice);
    for (const char* rate : {"1200", "2400", "4800", "9600", "19200", "38400"})
        baud.choices.push_back({static_cast<std::int64_t>(baud.choices.size()), rate, rate});
    baud.unit = "baud";
    t.push_back(present(baud, Rs485, none));
    ParamRow format = row("rs485.format", "RS485 character format", "Format de transmission",
                          RecordField::SerialConfig, 3, 3, ParamKind::Choice);
    for (const char* name : {"8N1", "8E1", "8O1", "8N2", "8E2", "8O2"})
        format.choices.push_back({static_cast<std::int64_t>(format.choices.size()), name, name});
    t.push_back(present(format, Rs485, none));
    ParamRow address = row("rs485.address", "RS485 Modbus address", "Adresse de l'appareil",
                           RecordField::SerialConfig, 8, 8, ParamKind::Number);
    address.limits = addressRange;
    t.push_back(present(address, Rs485, none));
    t.push_back(
        spare("rs485.spare_bits", "RS485 configuration, unused bits", RecordField::SerialConfig, 0xFF3F));
}

void addProtection(std::vector<ParamRow>& t) {
    // The third level is 3 on the indicator; a record filled by the window may hold 2 for it.
    ParamRow protection = row("protection", "Front-panel protection", "Niveau de protection",
                              RecordField::Protection, 0, 0, ParamKind::Choice);
    protection.choices = {{0, "Aucune", "none"},
                          {1, "Le Menu", "the menu"},
                          {3, "Le Menu et les touches de fonctions", "the menu and the function keys", 2}};
    t.push_back(protection);
}

void addAlarm(std::vector<ParamRow>& t, int k) {
    const std::string n = std::to_string(k + 1);
    const std::string key = "alarm" + n + ".", english = "Alarm " + n + " ";
    const std::uint32_t bits = k < 2 ? AnyAlarm : FourAlarms;
    const std::string none = "this indicator has no alarm " + n;
    ParamRow threshold = displayUnits(key + "threshold", english + "threshold", "Seuil d'alarme " + n,
                                      RecordField::Threshold, k);
    t.push_back(present(threshold, bits, none));
    ParamRow hysteresis = displayUnits(key + "hysteresis", english + "hysteresis",
                                       "Hystérésis de l'alarme " + n, RecordField::Hysteresis, k);
    t.push_back(present(hysteresis, bits, none));
    ParamRow delay = row(key + "delay", english + "delay", "Delai de l'alarme " + n, RecordField::Delay, 0, 0,
                         ParamKind::Number);
    delay.alarm = k;
    delay.decimals = 1;
    delay.unit = "s";
    delay.limits = delayRange;
    t.push_back(present(delay, bits, none));
    ParamRow contact = row(key + "contact", english + "contact", "Contact de l'alarme " + n,
                           RecordField::AlarmFlags, 0, 1, ParamKind::Switch);
    contact.alarm = k;
    contact.choices =
        switchChoices("Normalement ouvert", "normally open", "Normalement fermé", "normally closed");
    t.push_back(present(contact, bits, none));
    ParamRow led = row(key + "led", english + "LED", "Voyant de l'alarme " + n, RecordField::AlarmFlags, 4, 1,
                       ParamKind::Switch);
    led.alarm = k;
    led.choices = switchChoices("Allumé si contact NO fermé", "lit when the NO contact is closed",
                                "Allumé si contact NF fermé", "lit when the NC contact is closed");
    t.push_back(present(led, bits, none));
    t.push_back(spare(key + "spare_bits", english + "flags, unused bits", RecordField::AlarmFlags, 0x11, k));
}

std::vector<ParamRow> buildTable() {
    std::vector<ParamRow> t;
    addInput(t);
    addLinearisation(t);
    addDisplay(t);
    addOutput(t);
    addSerial(t);
    addProtection(t);
    for (int k = 0; k < 4; ++k)
        addAlarm(t, k);
    return t;
}

std::vector<RegisterSlot> buildSlots() {
    using F = RecordField;
    std::vector<RegisterSlot> s = {
        {F::InputConfig, -1, 0, 0, 8, false, 0},  {F::InputOptions, -1, 1, 0, 16, false, 1},
        {F::LinEnable, -1, 2, 0, 1, false, 2},    {F::LinLastPoint, -1, 2, 8, 5, false, 2},
        {F::Filter, -1, 3, 0, 16, false, 3},      {F::DisplayHigh, -1, 4, 0, 16, true, 6},
        {F::DisplayLow, -1, 5, 0, 16, true, 6},   {F::DisplayFlags, -1, 6, 0, 16, false, 6},
        {F::OutputHigh, -1, 7, 0, 16, true, 9},   {F::OutputLow, -1, 8, 0, 16, true, 9},
        {F::OutputOption, -1, 9, 0, 16, true, 9}, {F::SerialConfig, -1, 10, 0, 16, false, 10},
        {F::Protection, -1, 11, 0, 2, false, 11},
    };
    for (int k = 0; k < 4; ++k) {
        const int first = AlarmBlockStart + 3 * k, last = first + 2;
        s.push_back({F::Threshold, k, first, 0, 16, true, last});
        s.push_back({F::Hysteresis, k, first + 1, 0, 16, true, last});
        s.push_back({F::Delay, k, last, 0, 8, false, last});
        s.push_back({F::AlarmFlags, k, last, 8, 8, false, last});
    }
    return s;
}

} // namespace

const std::vector<RegisterSlot>& registerSlots() {
    static const std::vector<RegisterSlot> slots = buildSlots();
    return slots;
}

const std::vector<ParamRow>& paramTable() {
    static const std::vector<ParamRow> table = buildTable();
    return table;
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
    return kind != ParamKind::Spare && width == 0 && memberOf(field).isSigned;
}

std::uint32_t ParamRow::mask() const {
    const int bits = memberOf(field).bits;
    if (kind == ParamKind::Spare) return lowBits(bits) & ~usedBits;
    return width == 0 ? lowBits(bits) : lowBits(width) << shift;
}

std::int64_t rawValue(const ParamRow& row, const TParamImage& params) {
    const std::uint32_t bits = memberBits(params, row.field, row.alarm) & row.mask();
    if (row.kind == ParamKind::Spare) return bits;
    if (!row.isSigned()) return bits >> row.shift;
    const int width = memberOf(row.field).bits;
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
        const int width = memberOf(row.field).bits;
        const std::int64_t lowest = -(std::int64_t{1} << (width - 1)),
                           highest = (std::int64_t{1} << (width - 1)) - 1;
        if (raw < lowest || raw > highest) return false;
        bits = static_cast<std::uint32_t>(raw) & mask;
    } else {
        if (raw < 0 || raw > (mask >> row.shift)) return false;
        bits = static_cast<std::uint32_t>(raw) << row.shift;
    }
    const std::uint32_t word = memberBits(params, row.field, row.alarm);
    setMemberBits(params, row.field, row.alarm, (word & ~mask) | bits);
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
        if (row.choices[i].raw == raw || row.choices[i].alias == raw) return static_cast<std::int64_t>(i);
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
    for (const RegisterSlot& slot : registerSlots()) {
        const std::uint32_t bits = memberBits(p, slot.field, slot.alarm) & lowBits(16 - slot.registerBit);
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
    for (const RegisterSlot& slot : registerSlots()) {
        if (slot.landsWith != address) continue;
        const std::uint32_t value =
            (static_cast<std::uint32_t>(w[static_cast<std::size_t>(slot.address)]) >> slot.registerBit) &
            lowBits(slot.readBits);
        const std::uint32_t bits =
            slot.signedRead ? static_cast<std::uint32_t>(static_cast<std::int16_t>(value)) : value;
        setMemberBits(p, slot.field, slot.alarm, bits);
    }
}

void paramsFromRegisters(TParamImage& p, const ConfigRegisters& w) {
    for (int address = 0; address < static_cast<int>(w.size()); ++address)
        storeHoldingRegister(p, address, w);
}

} // namespace qv7
