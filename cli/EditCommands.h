// qv7ctl's offline editing of parameter files: set changes fields by key, import turns show --json
// output back into a file. No indicator is needed. Main thread; failures are thrown as CliError.
#pragma once

#include "cli/Options.h"

namespace qv7::cli {

// set FILE.QV KEY=VALUE...: every value checked against what the window's pages accept for the
// file's indicator type before anything changes; the file is then replaced atomically.
int commandSet(const Options& options);
// import FILE.json -o FILE.QV: the record that show --json described, byte for byte.
int commandImport(const Options& options);

} // namespace qv7::cli
