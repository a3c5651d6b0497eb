// qv7ctl sheet: the configuration sheet (PDF) of a parameter file or of an indicator read now, and
// the application qv7ctl runs in (sheet alone needs Qt Gui, for its fonts and its PDF writer). Main
// thread, or an indicator's own thread under --all.
#pragma once

#include "cli/Options.h"

#include <QCoreApplication>

#include <memory>

namespace qv7::cli {

// Makes the sheet options asks for and saves it whole at options.output. Throws CliError.
int commandSheet(const Options& options);

// A QGuiApplication on the offscreen platform for `command` "sheet" (no display is needed, the
// fonts are found), a QCoreApplication for every other command.
std::unique_ptr<QCoreApplication> makeApplication(const QString& command, int& argc, char** argv);

} // namespace qv7::cli
