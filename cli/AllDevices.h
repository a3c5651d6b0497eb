// qv7ctl --all: one command run on every attached indicator in turn, for production lines; and the
// mapping of every failure to its exit code, which main shares. Main thread.
#pragma once

#include "cli/Options.h"

#include <QString>

namespace qv7::cli {

// Runs options.command (one indicator) and returns its exit code; a failure's message goes to
// `error` instead of being thrown.
int runCaught(const Options& options, QString& error);

// Prints "SERIAL MODEL RESULT" per indicator and a summary line; returns the highest exit code.
int runOnAll(const Options& options);

// read --all -o FILE.QV: FILE-SERIAL.QV (the serial number before the extension, or at the end).
QString perDeviceName(const QString& path, const QString& serial);

} // namespace qv7::cli
