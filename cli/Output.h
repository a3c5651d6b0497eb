// qv7ctl's output: text and JSON on stdout, the transfer figures on stderr. Main thread.
#pragma once

#include "proto/ParamImage.h"

#include <QJsonObject>
#include <QString>

#include <exception>

namespace qv7::cli {

class Session;

void print(const QString& text);
// --all prints its own line per indicator: the commands it runs print nothing on stdout meanwhile
// (set before their threads start, cleared after they end).
void setQuiet(bool quiet);
// Where print() and printAlways() write: stdout, or stderr while a saved file goes to stdout ("-o -"),
// so that stdout holds the file's bytes and nothing else.
void setListingToStderr(bool toStderr);
// stdout even while quiet.
void printAlways(const QString& text);
// The end of every run: standard output, then standard error, flushed and closed. A write that
// failed on the way or now (a full disk, a closed pipe) is said on stderr and turns `code` into a
// file error; returns the exit code.
int closeOutputs(int code);
// A fixed text of the indicator, the bridge or the parameter and .LIN files (in English), quoted so
// that qv7ctl's own sentences stay apart from it.
QString quoted(const QString& fixedText);
// A fixed French text of the tool in English, through the one translation the window also uses
// (qv7ctl installs it at start); the French text where no translation is installed.
QString english(const char* context, const char* text);
// A run-time error in English: its template translated and filled in; what() when it has none.
QString errorText(const std::exception& error);
// The system's reason for a failed save, with what it means there: EACCES is a file the user may not
// write ("read-only"), ENXIO a FIFO that no program reads.
QString saveErrorText(int error);
// A file error in English, quoted, then the system's reason when it gave one (as saveErrorText says
// it for a failed save).
QString fileErrorText(const std::exception& error, bool saving = false);
void printJson(const QJsonObject& object);
// A single in its shortest decimal form, so 12.5 prints as 12.5 and not 12.500000.
QString shortestText(float value);
// The transfers' time, requests and bytes against the time the line itself needs (--stats).
void printStats(const Session& session);
// The linearisation table as lin-read prints it: a line per point in percent, those past
// lastPoint marked "(not in use)".
QString linTableText(const TLinTable& table, int lastPoint);

} // namespace qv7::cli
