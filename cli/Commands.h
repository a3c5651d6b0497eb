// qv7ctl's commands, one function each, run on the main thread inside QCoreApplication. Output goes to
// stdout; failures are thrown as CliError (message and exit code) for main to print.
#pragma once

#include "cli/Options.h"
#include "indicator/ParamCompare.h"
#include "proto/ParamImage.h"

#include <QByteArray>

#include <QString>

#include <cstddef>
#include <string>

namespace qv7::cli {

// Runs options.command; returns the exit code of a command that completed (ExitOk, or ExitDifference
// for write and diff). Throws CliError for every failure.
int runCommand(const Options& options);

// The first 200 bytes of a parameter file after the checks that need no indicator: length and magic.
// Throws CliError(ExitFileError) naming the file's French rejection.
// `sha256`, when given, receives the SHA-256 of every byte read (lower-case hex).
QByteArray readParamFile(const QString& path, QString* sha256 = nullptr);
// The first `keep` bytes of a regular input file of at most `cap` bytes; throws a file error that
// names `what` ("parameter file") when it is no regular file, larger, or cannot be read.
std::string readInputFile(const QString& path, std::size_t cap, std::size_t keep, const char* what);
TParamImage imageOfParamFile(const QByteArray& head);
// The SHA-256 of `bytes` in lower-case hex, as the record gives it.
QString sha256Hex(QByteArrayView bytes);

// What diff lists: the fields in which `actual` differs from the parameter file `path` (its first
// bytes `head`), the file checked against actual's type word and taken as it would be sent. Throws
// CliError(ExitFileError) when the file is refused for that indicator.
QList<FieldDifference> differencesFromFile(const QString& path, const QByteArray& head,
                                           const TParamImage& actual);

// The udev rule compiled into the program (the shipped packaging/70-qv7.rules).
QString udevRule();

} // namespace qv7::cli
