#include "cli/AllDevices.h"

#include "base/Errors.h"
#include "cli/Commands.h"
#include "cli/LineLog.h"
#include "cli/Output.h"
#include "cli/Progress.h"
#include "cli/Session.h"
#include "indicator/FileAccess.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <memory>
#include <vector>

namespace qv7::cli {

int runCaught(const Options& options, QString& error) {
    try {
        return runCommand(options);
    } catch (const CliError& e) {
        error = e.message;
        return e.exitCode;
    } catch (const qv7::EInOutError& e) {
        error = quoted(errorText(e));
        return ExitFileError;
    } catch (const std::exception& e) {
        // Not the indicator's doing: memory, a pseudo-terminal of the simulator, a range check.
        error = QStringLiteral("internal error: ") + errorText(e);
        return ExitInternal;
    }
}

QString perDeviceName(const QString& path, const QString& serial) {
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    const QString dir = info.path() == "." && !path.startsWith("./") ? QString() : info.path() + '/';
    const QString base = suffix.isEmpty() ? info.fileName() : info.completeBaseName();
    return dir + base + '-' + serial + (suffix.isEmpty() ? QString() : '.' + suffix);
}

namespace {

constexpr int RedrawMs = 100;

// The serial numbers in --device order, from one enumeration.
QList<DeviceInfo> attached(const Options& options) {
    Session session(options);
    return session.devices();
}

// A serial number fit for a file name and a result line: what the bridge reports, else the index.
QString nameOf(const DeviceInfo& info) {
    QString serial = info.serial;
    serial.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_.-]")), QStringLiteral("_"));
    return serial.isEmpty() ? QStringLiteral("device%1").arg(info.index) : serial;
}

// One indicator's run: its options, what it left, and how it ended.
struct Unit {
    QString name;
    Options options;
    DeviceOutcome outcome;
    int code = ExitOk;
    QString error;
    QDateTime finished;
    std::atomic<bool> done{false};
};

QString resultText(const Unit& u) {
    QString result = u.code == ExitOk ? QStringLiteral("ok") : QStringLiteral("failed (exit %1)").arg(u.code);
    if (u.code == ExitOk && !u.options.output.isEmpty())
        result += QStringLiteral(", saved to ") + u.options.output;
    if (!u.error.isEmpty()) result += QStringLiteral(": ") + u.error;
    return result;
}

LogRecord recordOf(const Unit& u) {
    const Options& o = u.options;
    LogRecord r;
    r.time = u.finished;
    r.command = o.command;
    r.serial = u.name;
    r.model = u.outcome.model;
    r.typeWord = u.outcome.typeWord;
    // The bytes of the parameter file written or compared, or of the one read saved; of the table
    // file written: as the command read or wrote them, never read again by name.
    r.paramSha256 = u.outcome.paramSha256;
    r.tableSha256 = u.outcome.tableSha256;
    r.result = resultText(u);
    r.exitCode = u.code;
    r.differences = u.outcome.differences;
    return r;
}

// Appends the records; a failure is told and weighs as a file error.
int logged(const Options& options, const QList<LogRecord>& records, int code) {
    const QString& path = options.log;
    if (path.isEmpty()) return code;
    // Other qv7ctl on the same line may be appending: wait for them as long as a request may wait.
    const QString failure =
        appendToLog(path, records, static_cast<int>(std::llround(options.timeoutSeconds * 1000.0)));
    if (failure.isEmpty()) return code;
    std::fprintf(stderr, "qv7ctl: the record was not appended to the log: %s\n",
                 failure.toUtf8().constData());
    return std::max(code, static_cast<int>(ExitFileError));
}

void runUnit(Unit& u) {
    try {
        u.code = runCaught(u.options, u.error);
    } catch (...) {
        u.code = ExitInternal;
        u.error = QStringLiteral("internal error");
    }
    u.finished = QDateTime::currentDateTimeUtc();
    u.done = true;
}

QStringList boardLines(const std::vector<std::unique_ptr<Unit>>& units, int expected) {
    QStringList lines;
    for (const auto& u : units)
        lines << progressLine(u->name, u->options.command, u->outcome.replies.load(), expected,
                              u->done ? (u->code == ExitOk ? QStringLiteral("done")
                                                           : QStringLiteral("failed (exit %1)").arg(u->code))
                                      : QString());
    return lines;
}

// Runs every unit on a thread of its own and waits in an event loop, redrawing the board.
// Each indicator has its own bridge, link, reader thread and component, and the component's events
// come back to the thread it lives on: a thread per indicator keeps each transfer exactly as it
// runs alone, so a fault on one cannot reach another's.
void runConcurrently(std::vector<std::unique_ptr<Unit>>& units, ProgressBoard& board, int expected) {
    QEventLoop loop;
    std::size_t running = units.size();
    std::vector<std::unique_ptr<QThread>> threads;
    for (auto& u : units) {
        threads.emplace_back(QThread::create([unit = u.get()] { runUnit(*unit); }));
        QObject::connect(threads.back().get(), &QThread::finished, &loop, [&] {
            if (--running == 0) loop.quit();
        });
    }
    QTimer redraw;
    QObject::connect(&redraw, &QTimer::timeout, &loop, [&] { board.draw(boardLines(units, expected)); });
    if (board.enabled()) redraw.start(RedrawMs);
    for (auto& t : threads)
        t->start();
    board.draw(boardLines(units, expected));
    loop.exec();
    for (auto& t : threads)
        t->wait();
    board.clear();
}

} // namespace

namespace {

// Two indicators whose names come out the same (equal serial numbers, or equal once odd characters
// were replaced) would save into one file: refused before anything is sent.
void refuseSharedNames(const Options& options, const QList<DeviceInfo>& devices) {
    if (options.output.isEmpty()) return;
    if (heldStream(fileNameBytes(options.output)) >= 0)
        throw CliError{ExitUsage,
                       QStringLiteral("-o %1 takes one indicator; --all saves a file per indicator")
                           .arg(options.output)};
    QMap<QString, QStringList> byFile;
    for (const DeviceInfo& info : devices)
        byFile[perDeviceName(options.output, nameOf(info))]
            << QStringLiteral("%1 (serial \"%2\")").arg(info.index).arg(info.serial);
    QStringList clashes;
    for (auto it = byFile.cbegin(); it != byFile.cend(); ++it)
        if (it.value().size() > 1)
            clashes << QStringLiteral("indicators %1 would all be saved to %2")
                           .arg(it.value().join(QStringLiteral(", ")), it.key());
    if (!clashes.isEmpty())
        throw CliError{ExitFileError,
                       clashes.join(QStringLiteral("; ")) +
                           QStringLiteral("; nothing was sent (save them one by one with --device)")};
}

} // namespace

int runOnAll(const Options& options) {
    const QList<DeviceInfo> devices = attached(options);
    if (devices.isEmpty()) throw CliError{ExitNoDevice, QStringLiteral("no indicator attached")};
    refuseSharedNames(options, devices);
    std::vector<std::unique_ptr<Unit>> units;
    for (const DeviceInfo& info : devices) {
        auto u = std::make_unique<Unit>();
        u->name = nameOf(info);
        u->options = options;
        u->options.all = false;
        u->options.log.clear();
        u->options.device = info.index;
        u->options.outcome = &u->outcome;
        if (!options.output.isEmpty()) u->options.output = perDeviceName(options.output, u->name);
        if (!options.capture.isEmpty()) u->options.capture = perDeviceName(options.capture, u->name);
        // The simulator's state file is indicator 0001's: only its run may keep it, or the others
        // would put back the registers they started from.
        if (info.index != 1) u->options.simulateState.clear();
        units.push_back(std::move(u));
    }
    ProgressBoard board(stderrIsTerminal());
    setQuiet(true);
    runConcurrently(units, board, expectedReplies(options));
    setQuiet(false);

    int worst = ExitOk;
    int failed = 0;
    QList<LogRecord> records;
    for (const auto& u : units) {
        printAlways(QStringLiteral("%1 %2 %3\n")
                        .arg(u->name, u->outcome.model.isEmpty() ? QStringLiteral("-") : u->outcome.model,
                             resultText(*u)));
        worst = std::max(worst, u->code);
        failed += u->code == ExitOk ? 0 : 1;
        records << recordOf(*u);
    }
    printAlways(QStringLiteral("%1: %2 indicator(s), %3 ok, %4 failed\n")
                    .arg(options.command)
                    .arg(units.size())
                    .arg(units.size() - static_cast<std::size_t>(failed))
                    .arg(failed));
    return logged(options, records, worst);
}

bool wantsRecord(const Options& options) {
    if (options.outcome || options.all) return false;
    return !options.log.isEmpty() ||
           ((options.command == "write" || options.command == "lin-write") && stderrIsTerminal());
}

namespace {

// The serial number of the indicator that --serial or --device picks; empty when it cannot be told.
QString serialOf(const Options& options) {
    if (!options.serial.isEmpty()) return options.serial;
    try {
        for (const DeviceInfo& info : attached(options))
            if (info.index == options.device) return nameOf(info);
    } catch (const CliError&) {
    }
    return {};
}

} // namespace

int runRecorded(const Options& options) {
    Unit u;
    u.name = options.log.isEmpty() ? QStringLiteral("indicator") : serialOf(options);
    u.options = options;
    u.options.log.clear();
    u.options.outcome = &u.outcome;
    const bool showProgress = options.command == "write" || options.command == "lin-write";
    ProgressBoard board(showProgress && stderrIsTerminal());
    const int expected = expectedReplies(options);
    // The command runs its own event loops on this thread; the timer redraws from inside them.
    QTimer redraw;
    QObject::connect(&redraw, &QTimer::timeout, [&] {
        board.draw({progressLine(u.name, options.command, u.outcome.replies.load(), expected)});
    });
    if (board.enabled()) redraw.start(RedrawMs);
    runUnit(u);
    redraw.stop();
    board.clear();
    const int code = logged(options, {recordOf(u)}, u.code);
    if (!u.error.isEmpty()) throw CliError{code, u.error};
    return code;
}

} // namespace qv7::cli
