// The rows of the parameter table: every parameter of the record, said once with its place in the
// record and in the registers, its labels, choices, limits and the value a fresh indicator holds.
// A parameter at a free byte of a block is one more row here.
#include "proto/ParamTable.h"

#include <cstddef>

namespace qv7 {

namespace {

namespace tw = typeword;
constexpr std::uint32_t FiveChoice = tw::FiveChoice, TwoChoice = tw::TwoChoice,
                        Configurable = tw::Configurable;
constexpr std::uint32_t AnyAlarm = tw::AlarmCount, FourAlarms = tw::FourAlarms, Output = tw::Output,
                        Rs485 = tw::Rs485;

// --- The record's members: offset, bytes, signed; register, its bit, bits read, signed read,
// the register whose arrival stores it --------------------------------------------------------

constexpr int at(std::size_t offset) {
    return static_cast<int>(offset);
}
const RecordMember InputConfig{at(offsetof(TParamImage, InputConfig)), 1, false, 0, 0, 8};
const RecordMember InputOptions{at(offsetof(TParamImage, InputOptions)), 4, false, 1};
const RecordMember LinEnable{at(offsetof(TParamImage, LinEnable)), 1, false, 2, 0, 1};
const RecordMember LinLastPoint{at(offsetof(TParamImage, LinLastPoint)), 1, false, 2, 8, 5};
const RecordMember Filter{at(offsetof(TParamImage, Filter)), 4, true, 3};
const RecordMember DisplayHigh{at(offsetof(TParamImage, DisplayHigh)), 2, true, 4, 0, 16, true, 6};
const RecordMember DisplayLow{at(offsetof(TParamImage, DisplayLow)), 2, true, 5, 0, 16, true, 6};
const RecordMember DisplayFlags{at(offsetof(TParamImage, DisplayFlags)), 2, false, 6};
const RecordMember OutputHigh{at(offsetof(TParamImage, OutputHigh)), 2, true, 7, 0, 16, true, 9};
const RecordMember OutputLow{at(offsetof(TParamImage, OutputLow)), 2, true, 8, 0, 16, true, 9};
const RecordMember OutputOption{at(offsetof(TParamImage, OutputOption)), 2, true, 9, 0, 16, true, 9};
const RecordMember SerialConfig{at(offsetof(TParamImage, SerialConfig)), 4, true, 10};
const RecordMember Protection{at(offsetof(TParamImage, Protection)), 4, true, 11, 0, 2};

// Alarm k: six bytes from the alarms' offset, three registers from the alarm block's start; the
// group lands with its third register.
struct AlarmMembers {
    RecordMember threshold, hysteresis, delay, flags;
};
AlarmMembers alarmMembers(int k) {
    const int first = at(offsetof(TParamImage, Alarms)) + 6 * k;
    const int reg = AlarmBlockStart + 3 * k, last = reg + 2;
    return {{first + at(offsetof(TAlarmRecord, Threshold)), 2, true, reg, 0, 16, true, last},
            {first + at(offsetof(TAlarmRecord, Hysteresis)), 2, true, reg + 1, 0, 16, true, last},
            {first + at(offsetof(TAlarmRecord, Delay)), 1, false, last, 0, 8},
            {first + at(offsetof(TAlarmRecord, AlarmFlags)), 1, false, last, 8, 8}};
}

// --- Defaults that depend on the indicator ----------------------------------------------------

std::int64_t dedicatedInput(std::uint32_t t) {
    return tw::dedicatedInput(t);
}
// The display's and the output's full scale: the largest the digits show as a round figure.
std::int64_t roundFullScale(std::uint32_t t) {
    return tw::fourDigits(t) ? 9999 : 10000;
}

// --- Limits ----------------------------------------------------------------------------------

ParamLimits fiveOrTwoInputs(std::uint32_t t) {
    return {0, tw::offersFiveInputs(t) ? 4 : 1};
}
// The two-choice input has no 0-100 mV range.
ParamLimits voltageRanges(std::uint32_t t) {
    return {0, tw::offersTwoInputs(t) && !tw::offersFiveInputs(t) ? 1 : 2};
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

ParamRow row(std::string key, std::string english, std::string french, const RecordMember& member, int shift,
             int width, ParamKind kind) {
    ParamRow r{};
    r.key = std::move(key);
    r.english = std::move(english);
    r.french = std::move(french);
    r.member = member;
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

ParamRow spare(std::string key, std::string english, const RecordMember& member, std::uint32_t used,
               int alarm = -1) {
    ParamRow r = row(std::move(key), std::move(english), {}, member, 0, 0, ParamKind::Spare);
    r.alarm = alarm;
    r.onPage = false;
    r.usedBits = used;
    return r;
}

ParamRow displayUnits(std::string key, std::string english, std::string french, const RecordMember& member,
                      int alarm = -1) {
    ParamRow r = row(std::move(key), std::move(english), std::move(french), member, 0, 0, ParamKind::Number);
    r.alarm = alarm;
    r.unit = "display units";
    r.limits = displayRange;
    return r;
}

void addInput(std::vector<ParamRow>& t) {
    const auto noInput = "the input of this indicator is fixed";
    ParamRow type =
        row("input.type", "Input type", "Configuration de l'entrée", InputConfig, 0, 0, ParamKind::Choice);
    type.choices = choices({{"Courant", "current"},
                            {"Tension", "voltage"},
                            {"Sonde Platine", "platinum probe"},
                            {"Thermocouple", "thermocouple"},
                            {"Potentiomètre", "potentiometer"}});
    type.limits = fiveOrTwoInputs;
    type.defaultOf = dedicatedInput;
    t.push_back(present(type, Configurable, noInput));

    ParamRow current = row("input.current_range", "Current range", "Gamme de l'entrée courant", InputOptions,
                           0, 1, ParamKind::Choice);
    current.choices = choices({{"0-20 mA", "0-20 mA"}, {"4-20 mA", "4-20 mA"}});
    current.defaultRaw = 1;
    t.push_back(present(current, Configurable | tw::CurrentInput, "this indicator has no current input"));

    ParamRow voltage = row("input.voltage_range", "Voltage range", "Gamme de l'entrée tension", InputOptions,
                           1, 2, ParamKind::Choice);
    voltage.choices = choices({{"0-10 V", "0-10 V"}, {"0-1 V", "0-1 V"}, {"0-100 mV", "0-100 mV"}});
    voltage.limits = voltageRanges;
    t.push_back(present(voltage, Configurable | tw::VoltageInput, "this indicator has no voltage input"));

    ParamRow tc = row("input.thermocouple", "Thermocouple type", "Type de thermocouple", InputOptions, 4, 4,
                      ParamKind::Choice);
    for (const char* name : {"J", "K", "T", "E", "R", "S", "B", "N", "W5"})
        tc.choices.push_back({static_cast<std::int64_t>(tc.choices.size()), name, name});
    t.push_back(present(tc, FiveChoice | tw::ThermocoupleInput, "this indicator has no thermocouple input"));

    ParamRow wiring = row("input.probe_wiring", "Probe wiring", "Type de sonde thermo-résistive",
                          InputOptions, 8, 2, ParamKind::Choice);
    wiring.choices = choices(
        {{"2 fils", "2 wires"}, {"3 fils", "3 wires"}, {"Différentiel de sonde", "probe differential"}});
    t.push_back(present(wiring, FiveChoice | tw::ProbeInput, "this indicator has no probe input"));

    ParamRow cold = row("input.cold_junction", "Cold-junction compensation",
                        "Compensation de la soudure froide", InputOptions, 10, 1, ParamKind::Switch);
    cold.choices = switchChoices("non", "off", "oui", "on");
    t.push_back(
        present(cold, FiveChoice | tw::ThermocoupleInput, "this indicator has no thermocouple input"));

    t.push_back(spare("input.spare_bits", "Input options, unused bits", InputOptions, 0x7F7));
}

void addLinearisation(std::vector<ParamRow>& t) {
    ParamRow enabled =
        row("linearisation.enabled", "Linearisation", "Activation", LinEnable, 0, 1, ParamKind::Switch);
    enabled.choices = switchChoices("non", "off", "oui", "on");
    enabled.defaultRaw = 1;
    t.push_back(enabled);
    ParamRow last = row("linearisation.last_point", "Linearisation points in use", "Nombre de points",
                        LinLastPoint, 0, 0, ParamKind::Number);
    last.onPage = false; // the linearisation editor sets it with the table
    last.limits = lastPointRange;
    last.defaultRaw = 1; // a straight line through two points
    t.push_back(last);
    t.push_back(spare("linearisation.spare_bits", "Linearisation, unused bits", LinEnable, 1));
}

void addDisplay(std::vector<ParamRow>& t) {
    ParamRow filter = row("filter", "Filter", "Filtre (en secondes)", Filter, 0, 0, ParamKind::Number);
    filter.decimals = 2;
    filter.unit = "s";
    filter.limits = filterRange;
    filter.defaultRaw = 150;
    t.push_back(filter);
    ParamRow displayHigh = displayUnits("display.full_scale", "Display at full scale",
                                        "Pleine échelle d'affichage", DisplayHigh);
    displayHigh.defaultOf = roundFullScale;
    t.push_back(displayHigh);
    t.push_back(displayUnits("display.zero", "Display at zero", "Zéro d'affichage", DisplayLow));
    ParamRow point = row("display.decimal_point", "Decimal point position", "Point décimal", DisplayFlags, 0,
                         3, ParamKind::Number);
    point.limits = pointPositions;
    point.defaultRaw = 2;
    t.push_back(point);
    ParamRow tenths = row("display.tenths", "Tenths of a degree", "Affichage au dixiéme", DisplayFlags, 3, 1,
                          ParamKind::Switch);
    tenths.choices = switchChoices("non", "off", "oui", "on");
    t.push_back(tenths);
    ParamRow modulo =
        row("display.modulo", "Display modulo", "Modulo d'affichage", DisplayFlags, 4, 2, ParamKind::Choice);
    modulo.choices = choices({{"1", "1"}, {"2", "2"}, {"5", "5"}, {"0", "0"}});
    t.push_back(modulo);
    ParamRow unit = row("display.temperature_unit", "Temperature unit", "Température", DisplayFlags, 8, 1,
                        ParamKind::Switch);
    unit.choices = switchChoices("Degré Celsius (°C)", "°C", "Degré Fahrenheit (°F)", "°F");
    t.push_back(unit);
    t.push_back(spare("display.spare_bits", "Display flags, unused bits", DisplayFlags, 0x13F));
}

void addOutput(std::vector<ParamRow>& t) {
    const auto none = "this indicator has no analogue output";
    ParamRow high = displayUnits("output.full_scale", "Analogue output full scale at",
                                 "Pleine échelle de la sortie", OutputHigh);
    high.defaultOf = roundFullScale;
    t.push_back(present(high, Output, none));
    ParamRow low = displayUnits("output.zero", "Analogue output zero at", "Zéro de la sortie", OutputLow);
    t.push_back(present(low, Output, none));
    // Any non-zero value offsets the output; the page sets 1.
    ParamRow offset = row("output.offset", "Analogue output range", "Décalage 20% (0-20 -> 4-20)",
                          OutputOption, 0, 0, ParamKind::Switch);
    offset.choices = switchChoices("0-20", "0-20", "4-20", "4-20 (offset 20 %)");
    offset.defaultRaw = 1;
    t.push_back(present(offset, Output, none));
}

void addSerial(std::vector<ParamRow>& t) {
    const auto none = "this indicator has no RS485";
    ParamRow baud = row("rs485.baud", "RS485 baud rate", "Vitesse de transmission", SerialConfig, 0, 3,
                        ParamKind::Choice);
    for (const char* rate : {"1200", "2400", "4800", "9600", "19200", "38400"})
        baud.choices.push_back({static_cast<std::int64_t>(baud.choices.size()), rate, rate});
    baud.unit = "baud";
    baud.defaultRaw = 3; // 9600
    t.push_back(present(baud, Rs485, none));
    ParamRow format = row("rs485.format", "RS485 character format", "Format de transmission", SerialConfig, 3,
                          3, ParamKind::Choice);
    for (const char* name : {"8N1", "8E1", "8O1", "8N2", "8E2", "8O2"})
        format.choices.push_back({static_cast<std::int64_t>(format.choices.size()), name, name});
    t.push_back(present(format, Rs485, none));
    ParamRow address = row("rs485.address", "RS485 Modbus address", "Adresse de l'appareil", SerialConfig, 8,
                           8, ParamKind::Number);
    address.limits = addressRange;
    address.defaultRaw = 1;
    t.push_back(present(address, Rs485, none));
    t.push_back(spare("rs485.spare_bits", "RS485 configuration, unused bits", SerialConfig, 0xFF3F));
}

void addProtection(std::vector<ParamRow>& t) {
    // The third level is 3 on the indicator; a record filled by the window may hold 2 for it.
    ParamRow protection = row("protection", "Front-panel protection", "Niveau de protection", Protection, 0,
                              0, ParamKind::Choice);
    protection.choices = {{0, "Aucune", "none"},
                          {1, "Le Menu", "the menu"},
                          {3, "Le Menu et les touches de fonctions", "the menu and the function keys", 2}};
    protection.defaultRaw = 1;
    t.push_back(protection);
}

void addAlarm(std::vector<ParamRow>& t, int k) {
    const std::string n = std::to_string(k + 1);
    const std::string key = "alarm" + n + ".", english = "Alarm " + n + " ";
    const std::uint32_t bits = k < 2 ? AnyAlarm : FourAlarms;
    const std::string none = "this indicator has no alarm " + n;
    const AlarmMembers m = alarmMembers(k);
    static constexpr std::int64_t thresholds[] = {5000, 7500, 2500, 9000};
    ParamRow threshold =
        displayUnits(key + "threshold", english + "threshold", "Seuil d'alarme " + n, m.threshold, k);
    threshold.defaultRaw = thresholds[k];
    t.push_back(present(threshold, bits, none));
    ParamRow hysteresis = displayUnits(key + "hysteresis", english + "hysteresis",
                                       "Hystérésis de l'alarme " + n, m.hysteresis, k);
    hysteresis.defaultRaw = thresholds[k] / 100;
    t.push_back(present(hysteresis, bits, none));
    ParamRow delay =
        row(key + "delay", english + "delay", "Delai de l'alarme " + n, m.delay, 0, 0, ParamKind::Number);
    delay.alarm = k;
    delay.decimals = 1;
    delay.unit = "s";
    delay.limits = delayRange;
    delay.defaultRaw = 10 * (k + 1);
    t.push_back(present(delay, bits, none));
    ParamRow contact = row(key + "contact", english + "contact", "Contact de l'alarme " + n, m.flags, 0, 1,
                           ParamKind::Switch);
    contact.alarm = k;
    contact.defaultRaw = k % 2;
    contact.choices =
        switchChoices("Normalement ouvert", "normally open", "Normalement fermé", "normally closed");
    t.push_back(present(contact, bits, none));
    ParamRow led =
        row(key + "led", english + "LED", "Voyant de l'alarme " + n, m.flags, 4, 1, ParamKind::Switch);
    led.alarm = k;
    led.defaultRaw = k >= 2 ? 1 : 0;
    led.choices = switchChoices("Allumé si contact NO fermé", "lit when the NO contact is closed",
                                "Allumé si contact NF fermé", "lit when the NC contact is closed");
    t.push_back(present(led, bits, none));
    t.push_back(spare(key + "spare_bits", english + "flags, unused bits", m.flags, 0x11, k));
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

} // namespace

const std::vector<ParamRow>& paramTable() {
    static const std::vector<ParamRow> table = buildTable();
    return table;
}

} // namespace qv7
