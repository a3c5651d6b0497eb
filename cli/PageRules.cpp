// What the window's parameter pages let a user choose, per indicator type: which pages the type word
// shows, the choices of each group and the range each edit accepts.
#include "cli/ParamEdit.h"

#include <QMap>

namespace qv7::cli {

namespace {

struct Rule {
    qint64 lowest = 0, highest = 0;
    QString missing; // why the indicator has no such page; empty when it has
};

bool has(std::uint32_t t, std::uint32_t bits) {
    return (t & bits) != 0;
}

// The display's edits clamp to the digits the indicator has.
Rule displayRange(std::uint32_t t) {
    return has(t, 0x4) ? Rule{-1999, 9999, {}} : Rule{-19999, 19999, {}};
}

Rule inputRule(std::uint32_t t, const QString& key) {
    const bool five = has(t, 0x4000), two = has(t, 0x8000);
    if (key == "input.type") {
        if (five) return {0, 4, {}};
        if (two) return {0, 1, {}};
        return {0, 0, QStringLiteral("the input of this indicator is fixed")};
    }
    if (key == "input.current_range")
        return {0, 1,
                five || two || has(t, 0x100) ? QString()
                                             : QStringLiteral("this indicator has no current input")};
    if (key == "input.voltage_range")
        return {0, two ? 1 : 2,
                five || two || has(t, 0x200) ? QString()
                                             : QStringLiteral("this indicator has no voltage input")};
    const QString noProbe =
        five || has(t, 0x400) ? QString() : QStringLiteral("this indicator has no probe input");
    if (key == "input.probe_wiring") return {0, 2, noProbe};
    const QString noTc =
        five || has(t, 0x800) ? QString() : QStringLiteral("this indicator has no thermocouple input");
    if (key == "input.thermocouple") return {0, 8, noTc};
    if (key == "input.cold_junction") return {0, 1, noTc};
    return {0, 0, QStringLiteral("no page sets %1").arg(key)};
}

Rule alarmRule(std::uint32_t t, int alarm, const QString& field) {
    const bool present = alarm <= 2 ? has(t, 0x3) : has(t, 0x2);
    const QString missing = present ? QString() : QStringLiteral("this indicator has no alarm %1").arg(alarm);
    Rule rule{0, 1, missing};
    if (field == "threshold" || field == "hysteresis") rule = displayRange(t);
    if (field == "delay") rule = {0, 255, {}}; // tenths of a second in one byte: 0.0 to 25.5 s
    if (field == "spare_bits") return {0, 0, QStringLiteral("no page sets alarm%1.spare_bits").arg(alarm)};
    rule.missing = missing;
    return rule;
}

Rule ruleFor(std::uint32_t t, const QString& key) {
    if (key.startsWith("input.")) return inputRule(t, key);
    if (key.startsWith("alarm") && key.size() > 7) return alarmRule(t, key.mid(5, 1).toInt(), key.mid(7));
    const QString noOutput =
        has(t, 0x10) ? QString() : QStringLiteral("this indicator has no analogue output");
    const QString noRs485 = has(t, 0x40) ? QString() : QStringLiteral("this indicator has no RS485");
    static const QMap<QString, Rule> fixed = {{"linearisation.enabled", {0, 1, {}}},
                                              {"linearisation.last_point", {1, 31, {}}},
                                              {"filter", {0, 9999, {}}},
                                              {"display.tenths", {0, 1, {}}},
                                              {"display.modulo", {0, 3, {}}},
                                              {"display.temperature_unit", {0, 1, {}}},
                                              {"protection", {0, 2, {}}}};
    if (fixed.contains(key)) return fixed[key];
    if (key == "display.full_scale" || key == "display.zero") return displayRange(t);
    if (key == "display.decimal_point") return {0, has(t, 0x4) ? 3 : 4, {}};
    if (key == "output.full_scale" || key == "output.zero")
        return {displayRange(t).lowest, displayRange(t).highest, noOutput};
    if (key == "output.offset") return {0, 1, noOutput};
    if (key == "rs485.baud" || key == "rs485.format") return {0, 5, noRs485};
    if (key == "rs485.address") return {0, 255, noRs485};
    return {0, 0, QStringLiteral("no page sets %1").arg(key)};
}

} // namespace

QString checkPageValue(std::uint32_t typeWord, const QString& key, qint64 raw) {
    const Rule rule = ruleFor(typeWord, key);
    if (!rule.missing.isEmpty()) return rule.missing;
    if (raw < rule.lowest || raw > rule.highest)
        return QStringLiteral("%1 takes %2 to %3 on this indicator, not %4")
            .arg(key)
            .arg(rule.lowest)
            .arg(rule.highest)
            .arg(raw);
    return {};
}

} // namespace qv7::cli
