// qv7ctl's service commands: the input adjustments and the converter read that the window's service
// page offers technicians. Main thread; failures are thrown as CliError.
#pragma once

#include "cli/Options.h"

namespace qv7::cli {

// adjust zero1|fullscale1|zero2|fullscale2: the indicator's command register := 1..4, checked by
// its echo (ExitDifference when it answers anything else).
int commandAdjust(const Options& options);
// adc [--json]: the two single-precision converter values.
int commandAdc(const Options& options);

} // namespace qv7::cli
