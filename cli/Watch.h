// qv7ctl adc --watch (and adjust --watch): the converter values read again and again on the opened
// indicator, one line per reading, until Ctrl+C or the indicator is lost. Main thread.
#pragma once

#include "cli/Options.h"

#include <QString>

namespace qv7::cli {

class Session;

// One reading as a line, stamped with the time its request went since the watch began: "time 0.250 adc1 12.5
// adc2 0.25", or with `json`
// {"time": 0.25, "adc1": 12.5, "adc2": 0.25}; a value that is no number is null in JSON.
QString watchLine(double seconds, float adc1, float adc2, bool json);

// Reads input registers 5-8 every options.intervalMs (from one reading's start to the next; at once
// when a reading took longer) and prints each; returns ExitOk on SIGINT. A lost indicator throws
// CliError(ExitTimeout) with the message of the request that failed.
int watchAdc(Session& session, const Options& options);

} // namespace qv7::cli
