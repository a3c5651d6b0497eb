// Editing the parameter record field by field without the window: the keys of show --json written
// back into the record, and the values the window's parameter pages would let a user choose for a
// given indicator type. Pure functions; qv7ctl's main thread.
#pragma once

#include "indicator/ParamImage.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace qv7::cli {

// Stores `raw` into the field `key` (a key of show --json, type word excluded). Returns the reason
// when the key is unknown or the value does not fit the bits the record gives the field.
QString storeField(TParamImage& params, const QString& key, qint64 raw);

// Empty when the window's pages offer `raw` for `key` on an indicator of this type word; otherwise
// why not (the indicator lacks the page, or the value lies outside what the page accepts).
QString checkPageValue(std::uint32_t typeWord, const QString& key, qint64 raw);

// The raw value of VALUE for `key`: the value whose text show prints as VALUE (any case), else
// VALUE as the raw number; nullopt with `error` set when it is neither.
std::optional<qint64> parseValue(const TParamImage& params, const QString& key, const QString& value,
                                 QString& error);

} // namespace qv7::cli
