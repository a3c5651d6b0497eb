#include "cli/ParamFields.h"

#include "proto/ParamTable.h"

#include <QStringList>

namespace qv7::cli {

namespace {

QString hex(qint64 value) {
    return QStringLiteral("0x%1").arg(value, 0, 16);
}

QString utf8(const std::string& text) {
    return QString::fromStdString(text);
}

// What a reader sees for the row's raw value, as qv7ctl has always printed it.
} // namespace

QString fieldText(const ParamRow& row, qint64 raw) {
    switch (row.kind) {
    case ParamKind::Spare:
        return hex(raw);
    case ParamKind::Choice:
    case ParamKind::Switch:
        if (const ParamChoice* choice = choiceOf(row, raw)) return utf8(choice->english);
        return QStringLiteral("code %1 (no such choice)").arg(raw);
    case ParamKind::Number:
        break;
    }
    if (row.key == "linearisation.last_point") return QString::number(raw + 1); // points in use
    if (row.decimals == 0) return QString::number(raw);
    double divisor = 1.0;
    for (int i = 0; i < row.decimals; ++i)
        divisor *= 10.0;
    return QStringLiteral("%1 s").arg(static_cast<double>(raw) / divisor, 0, 'f', row.decimals);
}

namespace {

Field typeWordField(const TParamImage& p) {
    return Field{"type_word", "Type word", p.DeviceType, hex(p.DeviceType), {}, false};
}

} // namespace

QList<Field> decodeParams(const TParamImage& params) {
    QList<Field> out;
    for (const ParamRow& row : paramTable()) {
        const qint64 raw = rawValue(row, params);
        // The unit of a choice is shown by its text; the baud rate keeps its unit for scripts.
        out << Field{utf8(row.key),
                     utf8(row.english),
                     raw,
                     fieldText(row, raw),
                     row.key == "linearisation.last_point" ? QString() : utf8(row.unit),
                     row.kind == ParamKind::Spare};
    }
    return out;
}

QString featuresText(std::uint32_t t) {
    const auto has = [t](const char* key) { return paramPresent(*findParam(key), t); };
    QStringList parts;
    parts << (fourDigitsOf(t) ? QStringLiteral("4 digits") : QStringLiteral("4½ digits"));
    if (has("input.type")) {
        const bool five = pageLimits(*findParam("input.type"), t).highest == 4;
        parts << (five ? QStringLiteral("five-choice input") : QStringLiteral("two-choice input"));
    } else {
        static constexpr const char* fixedInputs[][2] = {{"input.current_range", "current"},
                                                         {"input.voltage_range", "voltage"},
                                                         {"input.probe_wiring", "platinum probe"},
                                                         {"input.thermocouple", "thermocouple"}};
        for (const auto& [key, name] : fixedInputs)
            if (has(key)) parts << QString::fromUtf8(name) + QStringLiteral(" input");
    }
    if (has("alarm3.threshold"))
        parts << QStringLiteral("4 alarms");
    else if (has("alarm1.threshold"))
        parts << QStringLiteral("2 alarms");
    if (has("output.zero")) parts << QStringLiteral("analogue output");
    if (has("rs485.baud")) parts << QStringLiteral("RS485");
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
