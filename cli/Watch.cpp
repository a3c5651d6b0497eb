#include "cli/Watch.h"

#include "base/SignalPipe.h"
#include "cli/Output.h"
#include "cli/Session.h"
#include "indicator/SignalNotifier.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cmath>
#include <csignal>

namespace qv7::cli {

namespace {

// Turns Ctrl+C into `interrupted` and a quit of the loop that waits, for as long as it lives. The
// first Ctrl+C is ours; the handler then steps aside, so a second one ends a program that waits for
// an indicator that does not answer.
class InterruptWatch {
public:
    InterruptWatch() {
        notifier_ = makeSignalNotifier(pipe_, [this] {
            interrupted_ = true;
            if (waiting_) waiting_->quit();
        });
    }
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    bool interrupted() const { return interrupted_; }
    // Runs the event loop for `ms`, or until Ctrl+C.
    void sleep(qint64 ms) {
        if (ms <= 0 || interrupted_) return;
        QEventLoop loop;
        QTimer::singleShot(static_cast<int>(ms), &loop, &QEventLoop::quit);
        waiting_ = &loop;
        loop.exec();
        waiting_ = nullptr;
    }

private:
    SignalPipe pipe_{SIGINT};
    std::unique_ptr<QObject> notifier_; // goes before the pipe it watches
    bool interrupted_ = false;
    QEventLoop* waiting_ = nullptr;
};

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
    InterruptWatch watch;
    QElapsedTimer clock;
    clock.start();
    while (!watch.interrupted()) {
        const qint64 started = clock.elapsed();
        std::pair<float, float> values;
        try {
            values = session.readAdc();
        } catch (const CliError& e) {
            if (watch.interrupted()) break;
            // Gone or silent, the indicator is lost to the watch either way.
            throw CliError{ExitTimeout, e.message};
        }
        printAlways(
            watchLine(static_cast<double>(started) / 1000.0, values.first, values.second, options.json));
        // From this reading's start: a late one never makes the next come sooner.
        watch.sleep(started + options.intervalMs - clock.elapsed());
    }
    return ExitOk;
}

} // namespace qv7::cli
