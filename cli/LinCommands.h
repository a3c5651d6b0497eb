// qv7ctl's linearisation commands: the table read into a .LIN file, a .LIN file written and read
// back, a .LIN file shown. The files are read and written exactly as the editor window does.
// Main thread; failures are thrown as CliError.
#pragma once

#include "cli/Options.h"

namespace qv7::cli {

// lin-read [-o FILE.LIN] [--json]: the table's 32 entries (text) or the points in use (JSON); -o saves
// them as the editor would after "Lecture". A table the editor refuses ends with exit 4, no file.
int commandLinRead(const Options& options);
// lin-write FILE.LIN: refuses (exit 4, nothing sent) a file the editor refuses or one of more than 32
// points; writes, reads back, and returns ExitDifference when a point differs.
int commandLinWrite(const Options& options);
// lin-show FILE.LIN [--json]: the points as loaded and the messages the editor would show.
int commandLinShow(const Options& options);

} // namespace qv7::cli
