// qv7ctl lin-fit: the points of a linearisation curve chosen from measured pairs or a built-in shape,
// printed and optionally saved as the editor saves a .LIN file. No indicator. Main thread; failures
// are thrown as CliError.
#pragma once

#include "cli/Options.h"
#include "indicator/Measures.h"

#include <QString>

namespace qv7::cli {

// lin-fit DATA | --shape S [--points N] [-o FILE.LIN] [--json].
int commandLinFit(const Options& options);

// A refused measurements table as qv7ctl tells it: where, then why.
QString measureErrorText(const MeasureError& error);

} // namespace qv7::cli
