#include "cli/ParamFields.h"

#include <QStringList>

#include <initializer_list>

namespace qv7::cli {

namespace {

QString choice(qint64 code, std::initializer_list<const char*> names) {
    if (code >= 0 && code < static_cast<qint64>(names.size()))
        return QString::fromUtf8(*(names.begin() + code));
    return QStringLiteral("code %1 (no such choice)").arg(code);
}

QString onOff(qint64 bit) {
    return bit ? QStringLiteral("on") : QStringLiteral("off");
}

QString hex(qint64 value) {
    return QStringLiteral("0x%1").arg(value, 0, 16);
}

Field field(const QString& key, const QString& label, qint64 raw, const QString& text,
            const QString& unit = {}) {
    return Field{key, label, raw, text, unit, false};
}

Field spare(const QString& key, const QString& label, qint64 raw) {
    return Field{key, label, raw, hex(raw), {}, true};
}

// Tenths or hundredths of a second as seconds with that many decimals.
Field seconds(const QString& key, const QString& label, qint64 raw, int decimals, double divisor) {
    return field(key, label, raw,
                 QStringLiteral("%1 s").arg(static_cast<double>(raw) / divisor, 0, 'f', decimals),
                 QStringLiteral("s"));
}

Field displayUnits(const QString& key, const QString& label, qint64 raw) {
    return field(key, label, raw, QString::number(raw), QStringLiteral("display units"));
}

void addInput(QList<Field>& out, const TParamImage& p) {
    const qint64 o = p.InputOptions;
    out << field(
        "input.type", "Input type", p.InputConfig,
        choice(p.InputConfig, {"current", "voltage", "platinum probe", "thermocouple", "potentiometer"}));
    out << field("input.current_range", "Current range", o & 1, choice(o & 1, {"0-20 mA", "4-20 mA"}));
    out << field("input.voltage_range", "Voltage range", (o >> 1) & 3,
                 choice((o >> 1) & 3, {"0-10 V", "0-1 V", "0-100 mV"}));
    out << field("input.thermocouple", "Thermocouple type", (o >> 4) & 15,
                 choice((o >> 4) & 15, {"J", "K", "T", "E", "R", "S", "B", "N", "W5"}));
    out << field("input.probe_wiring", "Probe wiring", (o >> 8) & 3,
                 choice((o >> 8) & 3, {"2 wires", "3 wires", "probe differential"}));
    out << field("input.cold_junction", "Cold-junction compensation", (o >> 10) & 1, onOff((o >> 10) & 1));
    out << spare("input.spare_bits", "Input options, unused bits", o & ~qint64{0x7F7});
}

void addLinearisation(QList<Field>& out, const TParamImage& p) {
    out << field("linearisation.enabled", "Linearisation", p.LinEnable & 1, onOff(p.LinEnable & 1));
    out << field("linearisation.last_point", "Linearisation points in use", p.LinLastPoint,
                 QString::number(p.LinLastPoint + 1));
    out << spare("linearisation.spare_bits", "Linearisation, unused bits", p.LinEnable & ~1);
}

void addDisplay(QList<Field>& out, const TParamImage& p) {
    const qint64 f = p.DisplayFlags;
    out << seconds("filter", "Filter", p.Filter, 2, 100.0);
    out << displayUnits("display.full_scale", "Display at full scale", p.DisplayHigh);
    out << displayUnits("display.zero", "Display at zero", p.DisplayLow);
    out << field("display.decimal_point", "Decimal point position", f & 7, QString::number(f & 7));
    out << field("display.tenths", "Tenths of a degree", (f >> 3) & 1, onOff((f >> 3) & 1));
    out << field("display.modulo", "Display modulo", (f >> 4) & 3,
                 choice((f >> 4) & 3, {"1", "2", "5", "0"}));
    out << field("display.temperature_unit", "Temperature unit", (f >> 8) & 1,
                 (f >> 8) & 1 ? QStringLiteral("°F") : QStringLiteral("°C"));
    out << spare("display.spare_bits", "Display flags, unused bits", f & ~qint64{0x13F});
}

void addOutput(QList<Field>& out, const TParamImage& p) {
    out << displayUnits("output.full_scale", "Analogue output full scale at", p.OutputHigh);
    out << displayUnits("output.zero", "Analogue output zero at", p.OutputLow);
    out << field("output.offset", "Analogue output range", p.OutputOption,
                 p.OutputOption ? QStringLiteral("4-20 (offset 20 %)") : QStringLiteral("0-20"));
}

void addSerial(QList<Field>& out, const TParamImage& p) {
    const qint64 s = p.SerialConfig;
    out << field("rs485.baud", "RS485 baud rate", s & 7,
                 choice(s & 7, {"1200", "2400", "4800", "9600", "19200", "38400"}), QStringLiteral("baud"));
    out << field("rs485.format", "RS485 character format", (s >> 3) & 7,
                 choice((s >> 3) & 7, {"8N1", "8E1", "8O1", "8N2", "8E2", "8O2"}));
    out << field("rs485.address", "RS485 Modbus address", (s >> 8) & 255, QString::number((s >> 8) & 255));
    out << spare("rs485.spare_bits", "RS485 configuration, unused bits", s & ~qint64{0xFF3F});
}

void addProtection(QList<Field>& out, const TParamImage& p) {
    // The window keeps 2 in the record for the third choice and sends 3: both mean the same.
    const qint64 v = p.Protection;
    const QString text = v == 0               ? QStringLiteral("none")
                         : v == 1             ? QStringLiteral("the menu")
                         : (v == 2 || v == 3) ? QStringLiteral("the menu and the function keys")
                                              : QStringLiteral("code %1 (no such choice)").arg(v);
    out << field("protection", "Front-panel protection", v, text);
}

void addAlarm(QList<Field>& out, const TAlarmRecord& a, int k) {
    const QString key = QStringLiteral("alarm%1.").arg(k);
    const QString label = QStringLiteral("Alarm %1 ").arg(k);
    out << displayUnits(key + "threshold", label + "threshold", a.Threshold);
    out << displayUnits(key + "hysteresis", label + "hysteresis", a.Hysteresis);
    out << seconds(key + "delay", label + "delay", a.Delay, 1, 10.0);
    out << field(key + "contact", label + "contact", a.AlarmFlags & 1,
                 a.AlarmFlags & 1 ? QStringLiteral("normally closed") : QStringLiteral("normally open"));
    out << field(key + "led", label + "LED", (a.AlarmFlags >> 4) & 1,
                 (a.AlarmFlags >> 4) & 1 ? QStringLiteral("lit when the NC contact is closed")
                                         : QStringLiteral("lit when the NO contact is closed"));
    out << spare(key + "spare_bits", label + "flags, unused bits", a.AlarmFlags & ~0x11);
}

Field typeWordField(const TParamImage& p) {
    return field("type_word", "Type word", p.DeviceType, hex(p.DeviceType));
}

} // namespace

QList<Field> decodeParams(const TParamImage& params) {
    QList<Field> out;
    addInput(out, params);
    addLinearisation(out, params);
    addDisplay(out, params);
    addOutput(out, params);
    addSerial(out, params);
    addProtection(out, params);
    for (int k = 0; k < 4; ++k)
        addAlarm(out, params.Alarms[static_cast<std::size_t>(k)], k + 1);
    return out;
}

QString featuresText(std::uint32_t t) {
    QStringList parts;
    parts << ((t & 0x4) ? QStringLiteral("4 digits") : QStringLiteral("4½ digits"));
    if (t & 0x4000)
        parts << QStringLiteral("five-choice input");
    else if (t & 0x8000)
        parts << QStringLiteral("two-choice input");
    else {
        static constexpr const char* fixedInputs[] = {"current", "voltage", "platinum probe", "thermocouple"};
        for (int bit = 8; bit <= 11; ++bit)
            if (t & (1u << bit)) parts << QString::fromUtf8(fixedInputs[bit - 8]) + QStringLiteral(" input");
    }
    if (t & 2)
        parts << QStringLiteral("4 alarms");
    else if (t & 1)
        parts << QStringLiteral("2 alarms");
    if (t & 0x10) parts << QStringLiteral("analogue output");
    if (t & 0x40) parts << QStringLiteral("RS485");
    return parts.join(QStringLiteral(", "));
}

QString paramsText(const TParamImage& params, const QString& modelName) {
    QStringList lines;
    if (!modelName.isEmpty())
        lines << QStringLiteral("%1 %2").arg(QStringLiteral("Model").leftJustified(34), modelName);
    lines << QStringLiteral("%1 0x%2 (%3)")
                 .arg(QStringLiteral("Type word").leftJustified(34))
                 .arg(params.DeviceType, 4, 16, QLatin1Char('0'))
                 .arg(featuresText(params.DeviceType));
    for (const Field& f : decodeParams(params)) {
        if (f.spareBits && f.raw == 0) continue;
        QString text = f.text;
        if (f.unit == QLatin1String("display units")) text += QStringLiteral(" (display units)");
        lines << QStringLiteral("%1 %2").arg(f.label.leftJustified(34), text);
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QJsonObject paramsJson(const TParamImage& params, const QString& modelName) {
    QJsonObject fields;
    for (const Field& f : decodeParams(params)) {
        QJsonObject o{{"raw", f.raw}, {"text", f.text}, {"label", f.label}};
        if (!f.unit.isEmpty()) o.insert("unit", f.unit);
        fields.insert(f.key, o);
    }
    QJsonObject root{{"typeWord", static_cast<qint64>(params.DeviceType)},
                     {"typeWordHex", hex(params.DeviceType)},
                     {"features", featuresText(params.DeviceType)},
                     {"parameters", fields}};
    if (!modelName.isEmpty()) root.insert("model", modelName);
    return root;
}

QList<FieldDifference> compareParams(const TParamImage& expected, const TParamImage& actual) {
    QList<Field> a = decodeParams(expected);
    QList<Field> b = decodeParams(actual);
    a.prepend(typeWordField(expected));
    b.prepend(typeWordField(actual));
    QList<FieldDifference> out;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a[i].raw != b[i].raw)
            out << FieldDifference{a[i].key, a[i].label, a[i].text, b[i].text, a[i].raw, b[i].raw};
    return out;
}

} // namespace qv7::cli
