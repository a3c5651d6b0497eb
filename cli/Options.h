// qv7ctl's command line: the command, its arguments, the options, and the exit codes. Parsed once on
// the main thread before anything else runs.
#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <optional>

namespace qv7::cli {

enum ExitCode : int {
    ExitOk = 0,
    ExitUsage = 1,
    ExitNoDevice = 2,
    ExitTimeout = 3,
    ExitFileError = 4,  // a file that cannot be read or written, or a rejected parameter file
    ExitDifference = 5, // write's verification or diff found differing fields
    ExitInternal = 6,   // a fault of qv7ctl itself or of its environment, not of the indicator
};

// What a command run on one indicator leaves for --all's result line, its progress and the --log
// record. The command's thread writes it; another thread reads `replies` while it runs and the rest
// once it has ended.
struct DeviceOutcome {
    QString model;
    int typeWord = -1;       // -1: never read
    QStringList differences; // what the read-back or the comparison found, one text each
    // The SHA-256 of the bytes of the parameter file written or read (once accepted), and of the
    // table file read; empty when none.
    QString paramSha256, tableSha256;
    std::atomic<int> replies{0};
};

struct Options {
    QString command;
    QStringList arguments; // the command's operands (a file name)
    QString output;        // -o FILE
    QString lin;           // write --lin FILE.LIN: the table written before the parameters
    // sheet: the .LIN file of a parameter file's curve, the reference file whose differing rows are
    // marked, the sheet's language ("en" or "fr") and paper ("a4" or "letter").
    QString table, against, lang = QStringLiteral("en"), paper = QStringLiteral("a4");
    bool json = false;
    bool simulate = false;
    std::uint16_t simulateTypeWord = 0x4053;
    // "" | "silent" | "drop:N" | "delay:MS[:N]" | "writefail:N" | "internal", each optionally
    // "@SERIAL" for one simulated indicator only (for testing)
    QString simulateFault;
    QString simulateState; // file keeping the simulator's registers between runs (for testing)
    int simulateCount = 1; // simulated indicators, serial numbers "0001", "0002", ...
    int device = 1;
    bool deviceGiven = false; // --device was on the command line
    QString serial;           // --serial: the indicator with this USB serial number, not --device
    bool all = false;
    // Set by --all on its per-indicator run: the command prints nothing but errors and fills this.
    DeviceOutcome* outcome = nullptr;
    // lin-fit: the point budget, a built-in shape instead of a file, its samples and cut-off.
    int points = 32;
    QString shape;
    int samples = 1001;
    double cutoff = 0.0;
    bool offData = false;  // --off-data: the points' outputs may leave the data
    bool freeEnds = false; // --free-ends: with --off-data, the first and last outputs too
    double timeoutSeconds = 5.0;
    // The time-out to the millisecond it names (timers are then precise, not coarse).
    int timeoutMs() const { return static_cast<int>(timeoutSeconds * 1000.0 + 0.5); }
    int retryMs = 300;
    QString log;          // --log FILE.csv: one record per indicator appended
    bool watch = false;   // adc, adjust: read the converter values until interrupted
    int intervalMs = 250; // --watch: the time from one reading's start to the next
    bool trace = false;
    QString capture; // --capture FILE: every frame of the session, saved as a pcapng capture
    bool stats = false;
    bool help = false;
    bool version = false;
};

// The options, or the usage error's message.
struct ParseResult {
    std::optional<Options> options;
    QString error;
};
// `arguments` without the program name.
ParseResult parseOptions(const QStringList& arguments);

QString helpText();

} // namespace qv7::cli
