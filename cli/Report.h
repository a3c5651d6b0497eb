// qv7ctl report: one archive a technician attaches to a support request, with the versions, the
// attached indicators and whether this user may open them, a traced read-all, and the parameters and
// linearisation table read. Main thread.
#pragma once

#include "cli/Options.h"

namespace qv7::cli {

// report -o FILE.tar.gz: the archive is made even when the indicator cannot be read (the failure is
// in it, in errors.txt); returns that failure's exit code, or ExitFileError when no archive is made.
int commandReport(const Options& options);

} // namespace qv7::cli
