#include "cli/Watch.h"

#include "base/SignalPipe.h"
#include "cli/Output.h"
#include "cli/Session.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cmath>
#include <csignal>

namespace qv7::cli {

namespace {

// Waits between readings until the interval ends or an end signal comes.
void sleepUnlessEnded(qint64 ms) {
    if (ms <= 0 || endSignal() != 0) return;
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(ms), &loop, &QEventLoop::quit);
    const EndSignalWake wake(&loop, [&loop] { loop.quit(); });
    if (endSignal() == 0) loop.exec();
}

QString jsonNumber(float value) {
    return std::isfinite(value) ? shortestText(value) : QStringLiteral("null");
}

} // namespace

QString watchLine(double seconds, float adc1, float adc2, bool json) {
    const QString time = QString::number(seconds, 'f', 3);
    if (json)
        return QStringLiteral("{\"time\": %1, \"adc1\": %2, \"adc2\": %3}\n")
            .arg(time, jsonNumber(adc1), jsonNumber(adc2));
    return QStringLiteral("time %1 adc1 %2 adc2 %3\n").arg(time, shortestText(adc1), shortestText(adc2));
}

int watchAdc(Session& session, const Options& options) {
    QElapsedTimer clock;
    clock.start();
    // Ctrl+C is the watch's own end; SIGTERM and SIGHUP end it as they end any command.
    const auto ended = [] {
        if (endSignal() == SIGINT) return true;
        if (endSignal() != 0)
            throw CliError{128 + endSignal(), QStringLiteral("interrupted by ") +
                                                  QString::fromStdString(signalName(endSignal()))};
        return false;
    };
    while (!ended()) {
        const qint64 started = clock.elapsed();
        std::pair<float, float> values;
        try {
            values = session.readAdc();
        } catch (const CliError& e) {
            if (ended()) break;
            // Gone or silent, the indicator is lost to the watch either way.
            throw CliError{ExitTimeout, e.message};
        }
        printAlways(
            watchLine(static_cast<double>(started) / 1000.0, values.first, values.second, options.json));
        // From this reading's start: a late one never makes the next come sooner.
        sleepUnlessEnded(started + options.intervalMs - clock.elapsed());
    }
    return ExitOk;
}

} // namespace qv7::cli
