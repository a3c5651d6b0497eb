// import's reading of a parameter set that show --json wrote: strict, so that what is imported is
// exactly what the text says. Every key known and given once, every "text" agreeing with its "raw",
// "typeWordHex" with "typeWord". Main thread; failures are thrown as CliError (exit 4) naming the key.
#pragma once

#include "proto/ParamImage.h"

#include <QByteArrayView>
#include <QString>

namespace qv7::cli {

// The record the JSON text describes; `path` names the file in the messages.
TParamImage importedImage(const QString& path, QByteArrayView json);

// The first key that one object of `json` (a valid JSON text) gives twice, as its path
// ("parameters.filter.raw"); empty when there is none. JSON parsers keep one of the two silently.
QString firstDuplicateKey(QByteArrayView json);

} // namespace qv7::cli
