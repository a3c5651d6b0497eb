// qv7ctl --all: one command run on every attached indicator at once, for production lines; the
// --log record and the terminal progress of a command on one indicator; and the mapping of every
// failure to its exit code, which main shares. Main thread (each indicator of --all has a thread of
// its own, see runOnAll).
#pragma once

#include "cli/Options.h"

#include <QString>

namespace qv7::cli {

// Runs options.command (one indicator) and returns its exit code; a failure's message goes to
// `error` instead of being thrown.
int runCaught(const Options& options, QString& error);

// Prints "SERIAL MODEL RESULT" per indicator in serial-number order and a summary line; returns the
// highest exit code. With --log, one record per indicator; a failed append is told on stderr and
// makes the code at least ExitFileError.
int runOnAll(const Options& options);

// Whether a command on one indicator needs the record or the progress of runRecorded.
bool wantsRecord(const Options& options);
// The command on one indicator, with its --log record and its progress on a terminal; throws the
// command's CliError after the record is appended.
int runRecorded(const Options& options);

// read --all -o FILE.QV: FILE-SERIAL.QV (the serial number before the extension, or at the end).
QString perDeviceName(const QString& path, const QString& serial);

} // namespace qv7::cli
