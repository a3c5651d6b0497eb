// The parameter record as named, human-readable fields for qv7ctl: decoding for show/read, JSON, and
// the field-by-field comparison that write's verification and diff report. Pure functions on the
// record, called on qv7ctl's main thread (any thread would do).
#pragma once

#include "indicator/ParamCompare.h"
#include "proto/ParamImage.h"
#include "proto/ParamTable.h"

#include <QJsonObject>
#include <QList>
#include <QString>

#include <cstdint>

namespace qv7::cli {

// The decoding and the comparison are the indicator layer's (the window shows them too).
using qv7::compareParams;
using qv7::decodeParams;
using qv7::Field;
using qv7::FieldDifference;
using qv7::fieldText;

// What the type word says the indicator has: "4½ digits, five-choice input, 4 alarms, ...".
QString featuresText(std::uint32_t typeWord);

// The whole decode as text lines, for show and read. `modelName` may be empty (offline show).
QString paramsText(const TParamImage& params, const QString& modelName);
// The same as one JSON object: typeWord, typeWordHex, model, features, parameters{key: {raw,text,unit}}.
QJsonObject paramsJson(const TParamImage& params, const QString& modelName);

} // namespace qv7::cli
