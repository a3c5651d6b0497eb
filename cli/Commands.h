// qv7ctl's commands, one function each, run on the main thread inside QCoreApplication. Output goes to
// stdout; failures are thrown as CliError (message and exit code) for main to print.
#pragma once

#include "cli/Options.h"
#include "cli/ParamFields.h"
#include "indicator/ParamImage.h"

#include <QByteArray>

#include <QString>

namespace qv7::cli {

// Runs options.command; returns the exit code of a command that completed (ExitOk, or ExitDifference
// for write and diff). Throws CliError for every failure.
int runCommand(const Options& options);

// The first 200 bytes of a parameter file after the checks that need no indicator: length and magic.
// Throws CliError(ExitFileError) naming the file's French rejection.
QByteArray readParamFile(const QString& path);
TParamImage imageOfParamFile(const QByteArray& head);

// The record as the indicator is to receive it: the window keeps 2 in the record for "the menu and
// the function keys" and sends that level as 3, the indicator's own code.
TParamImage asSent(TParamImage image);
// What diff lists: the fields in which `actual` differs from the parameter file `path` (its first
// bytes `head`), the file checked against actual's type word and taken as it would be sent. Throws
// CliError(ExitFileError) when the file is refused for that indicator.
QList<FieldDifference> differencesFromFile(const QString& path, const QByteArray& head,
                                           const TParamImage& actual);

// The udev rule compiled into the program (the shipped packaging/70-qv7.rules).
QString udevRule();

} // namespace qv7::cli
