#include "cli/ParamEdit.h"

#include "cli/ParamFields.h"
#include "proto/ParamTable.h"

namespace qv7::cli {

namespace {

const ParamRow* rowOf(const QString& key) {
    return findParam(key.toStdString());
}

} // namespace

QString storeField(TParamImage& params, const QString& key, qint64 raw) {
    const ParamRow* row = rowOf(key);
    if (row == nullptr) return QStringLiteral("no field \"%1\"").arg(key);
    if (!storeRaw(*row, params, raw)) return QStringLiteral("%1 does not fit %2").arg(raw).arg(key);
    return {};
}

QString checkPageValue(std::uint32_t typeWord, const QString& key, qint64 value) {
    const ParamRow* row = rowOf(key);
    if (row == nullptr || row->kind == ParamKind::Spare) return QStringLiteral("no page sets %1").arg(key);
    if (!paramPresent(*row, typeWord)) return QString::fromStdString(row->absentReason);
    const ParamLimits limits = pageLimits(*row, typeWord);
    if (value < limits.lowest || value > limits.highest)
        return QStringLiteral("%1 takes %2 to %3 on this indicator, not %4")
            .arg(key)
            .arg(limits.lowest)
            .arg(limits.highest)
            .arg(value);
    return {};
}

QString storePageValue(TParamImage& params, const QString& key, qint64 value) {
    if (QString why = checkPageValue(params.DeviceType, key, value); !why.isEmpty()) return why;
    return storeField(params, key, rawOfItem(*rowOf(key), value));
}

std::optional<qint64> parseValue(const QString& key, const QString& value, QString& error) {
    bool isNumber = false;
    const qint64 number = value.toLongLong(&isNumber);
    // The text as show prints it comes first, so "rs485.baud=19200" means 19200 baud, not code 19200.
    if (const ParamRow* row = rowOf(key)) {
        for (std::size_t i = 0; i < row->choices.size(); ++i)
            if (QString::fromStdString(row->choices[i].english).compare(value, Qt::CaseInsensitive) == 0)
                return static_cast<qint64>(i);
        // Seconds and point counts as show prints them ("1.50 s"); display units print as the number.
        if (row->kind == ParamKind::Number && row->unit != "display units") {
            const ParamLimits limits = pageLimits(*row, 0);
            for (qint64 raw = limits.lowest; raw <= limits.highest; ++raw)
                if (fieldText(*row, raw).compare(value, Qt::CaseInsensitive) == 0) return raw;
        }
    }
    if (isNumber) return number;
    error = QStringLiteral("%1: \"%2\" is neither a value show prints for it nor a number").arg(key, value);
    return std::nullopt;
}

} // namespace qv7::cli
