// qv7ctl's linearisation commands: the table read into a .LIN file, a .LIN file written and read
// back, a .LIN file shown. The files are read and written exactly as the editor window does.
// Main thread; failures are thrown as CliError.
#pragma once

#include "cli/Options.h"
#include "proto/ParamImage.h"

#include <QStringList>

#include <cstdint>

namespace qv7::cli {

class Session;

// lin-read [-o FILE.LIN] [--json]: the table's 32 entries (text) or the points in use (JSON); -o saves
// them as the editor would after "Lecture". A table the editor refuses ends with exit 4, no file.
int commandLinRead(const Options& options);
// lin-write FILE.LIN: refuses (exit 4, nothing sent) a file the editor refuses or one of more than 32
// points; writes, reads back, and returns ExitDifference when a point differs.
int commandLinWrite(const Options& options);
// lin-show FILE.LIN [--json]: the points as loaded and the messages the editor would show.
int commandLinShow(const Options& options);

// A .LIN file's curve as the table write sends it.
struct LinToWrite {
    TLinTable table{};
    std::uint8_t lastPoint = 0;
    QString sha256; // of the file's bytes as read
};
// The file as the editor's "Charge" reads it, with its warnings on stderr; a file it refuses, or one
// of more than 32 points, ends qv7ctl with exit 4 before anything is sent.
LinToWrite linToWrite(const QString& path);
// The lines lin-write prints for a table read back other than sent: the last point, then each point
// in use that differs, with both values as the curve shows them.
QStringList linDifferences(const TLinTable& sent, int sentLast, const TLinTable& back, int backLast);
// Writes the table to the opened indicator and reads it back: the points that differ, as text.
QStringList writeLinVerified(Session& session, const LinToWrite& lin);

} // namespace qv7::cli
