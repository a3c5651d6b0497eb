#include "cli/ParamFields.h"

#include "proto/ParamTable.h"

#include <QStringList>

namespace qv7::cli {

namespace {

QString hex(qint64 value) {
    return QStringLiteral("0x%1").arg(value, 0, 16);
}

} // namespace

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

} // namespace qv7::cli
