// qv7ctl's commands, one function each, run on the main thread inside QCoreApplication. Output goes to
// stdout; failures are thrown as CliError (message and exit code) for main to print.
#pragma once

#include "cli/Options.h"

#include <QString>

namespace qv7::cli {

// Runs options.command; returns the exit code of a command that completed (ExitOk, or ExitDifference
// for write and diff). Throws CliError for every failure.
int runCommand(const Options& options);

// The udev rule compiled into the program (the shipped packaging/70-qv7.rules).
QString udevRule();

} // namespace qv7::cli
