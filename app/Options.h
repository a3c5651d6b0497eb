// The command line of qv7cfg: which HID access to use (real hardware or the simulated indicator),
// the frame trace and the help text. Parsed once in main(), before any window exists.
#pragma once

#include "app/Language.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace qv7 {

struct Options {
    bool simulate = false;
    std::uint16_t typeWord = 0x4053;  // the simulated indicator's type word
    int simulateCount = 1;            // simulated bridges, each with its own indicator
    QString simulateState;            // the first simulated indicator's registers, kept between runs
    QString simulateFault;            // a fault of every simulated indicator, as qv7ctl takes it
    bool trace = false;               // every Modbus frame to stderr
    QString capture;                  // --capture FILE: every frame, saved as a pcapng capture at the end
    bool service = false;             // the technicians' service page is shown
    QString file;                     // a .QV or .LIN file to open, as given (byte for byte)
    std::optional<Language> language; // --lang: the window's language instead of the desktop's
    bool help = false;
    bool version = false;
    QString error; // empty when the command line was understood
};

// Reads the arguments after the program name: --simulate[=TYPEWORD] (hex 0x.. or decimal, 0-65535),
// --simulate-count N (1-16, implies --simulate), --simulate-state=FILE (implies --simulate),
// --simulate-fault=FAULT (qv7ctl's faults, implies --simulate), --trace, --capture FILE,
// --service, --lang fr|en, --help / -h, and one file (.QV or .LIN, either case). Sets `error` for
// anything else.
Options parseOptions(const QStringList& arguments);

// What a file given on the command line is, by its extension in either case.
enum class OpenKind { None, Parameters, Curve };
OpenKind openKindOf(const QString& file);

// The text --help prints.
QString usageText();
// The line --version prints.
QString versionText();

// --help or --version among the raw arguments: answered before the application and its display
// exist, so both work where no display is. Returns the text to print, empty for neither.
QString earlyAnswer(int argc, const char* const* argv);

} // namespace qv7
