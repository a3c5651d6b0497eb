// Editing the parameter record field by field without the window: the keys of show --json written
// back into the record, and the values the window's parameter pages would let a user choose for a
// given indicator type. Pure functions; qv7ctl's main thread.
#pragma once

#include "proto/ParamImage.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace qv7::cli {

// Stores `raw` into the field `key` (a key of show --json, type word excluded). Returns the reason
// when the key is unknown or the value does not fit the bits the record gives the field.
QString storeField(TParamImage& params, const QString& key, qint64 raw);

// Empty when the window's pages offer `value` for `key` on an indicator of this type word; otherwise
// why not (the indicator lacks the page, or the value lies outside what the page accepts). `value` is
// what a page holds: a number in raw units, or the item of a choice or switch.
QString checkPageValue(std::uint32_t typeWord, const QString& key, qint64 value);

// What the window's write step would store for a page `value` of `key` (checked as above): the
// record then holds the same bytes as after the window's write step. Returns why not, or empty.
QString storePageValue(TParamImage& params, const QString& key, qint64 value);

// The page value of VALUE for `key`: the choice show prints as VALUE (any case) or the number whose
// text it is ("1.50 s"), else VALUE as a number; nullopt with `error` set when it is neither.
std::optional<qint64> parseValue(const QString& key, const QString& value, QString& error);

} // namespace qv7::cli
