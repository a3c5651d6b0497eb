// The parameter record as named, human-readable fields for qv7ctl: decoding for show/read, JSON, and
// the field-by-field comparison that write's verification and diff report. Pure functions on the
// record, called on qv7ctl's main thread (any thread would do).
#pragma once

#include "proto/ParamImage.h"
#include "proto/ParamTable.h"

#include <QJsonObject>
#include <QList>
#include <QString>

#include <cstdint>

namespace qv7::cli {

// One decoded field. `raw` is the value as the record stores it (after masking for bit fields);
// `text` is what a reader sees, unit included ("1.50 s", "4-20 mA", "normally closed").
struct Field {
    QString key;   // stable name for scripts: "filter", "alarm2.threshold"
    QString label; // "Alarm 2 threshold"
    qint64 raw = 0;
    QString text;
    QString unit; // "s", "baud", "display units"; empty for choices
    // Bits no choice uses. Every field takes part in comparisons; a spare-bits field is shown in text
    // only when it is not zero, so a record with stray bits is still told apart.
    bool spareBits = false;
};

// What show prints for a row's raw value ("1.50 s", "4-20 mA", "code 9 (no such choice)").
QString fieldText(const ParamRow& row, qint64 raw);

// Every field of the record's configuration and alarm part, in record order (type word excluded).
QList<Field> decodeParams(const TParamImage& params);

// What the type word says the indicator has: "4½ digits, five-choice input, 4 alarms, ...".
QString featuresText(std::uint32_t typeWord);

// The whole decode as text lines, for show and read. `modelName` may be empty (offline show).
QString paramsText(const TParamImage& params, const QString& modelName);
// The same as one JSON object: typeWord, typeWordHex, model, features, parameters{key: {raw,text,unit}}.
QJsonObject paramsJson(const TParamImage& params, const QString& modelName);

struct FieldDifference {
    QString key, label, expected, actual;
    qint64 expectedRaw = 0, actualRaw = 0; // as the records store them, for scripts
};
// Fields whose raw values differ between the two records (type word included), in record order.
QList<FieldDifference> compareParams(const TParamImage& expected, const TParamImage& actual);

} // namespace qv7::cli
