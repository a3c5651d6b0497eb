#include "app/EndSignals.h"

#include "app/Main.h"
#include "app/Session.h"
#include "indicator/SignalNotifier.h"

#include <QTimer>

#include <memory>
#include <optional>
#include <utility>

namespace qv7 {

EndSignals::EndSignals(std::function<void(int)> onSignal, QObject* parent)
    : QObject(parent), notifier_(makeSignalNotifier(pipe_, std::move(onSignal))) {}

namespace {

std::optional<Transfer> writeUnderWay(std::int32_t step) {
    for (Transfer transfer : {Transfer::WriteAll, Transfer::WriteTable})
        if (stepOf(transfer, step)) return transfer;
    return std::nullopt;
}

// What the end says, once: when the line is quiet, or when the limit came first.
struct WindowEnd {
    QString prefix;
    int unwritten = 0;
    std::optional<Transfer> writing;
    std::function<void(const QStringList&)> ended;

    void finish(const QString& write) {
        if (!ended) return;
        const auto call = std::exchange(ended, nullptr);
        QStringList report;
        if (writing) report << prefix + QStringLiteral(" during a write to the indicator: ") + write;
        if (unwritten == 1) report << prefix + QStringLiteral(": 1 change on the pages was not written");
        if (unwritten > 1)
            report << prefix + QStringLiteral(": %1 changes on the pages were not written").arg(unwritten);
        if (report.isEmpty()) report << prefix;
        call(report);
    }
};

} // namespace

void endWindow(TMainForm& form, int number, std::function<void(const QStringList&)> ended, int limitMs) {
    auto end = std::make_shared<WindowEnd>();
    end->prefix = QStringLiteral("qv7cfg: ended by %1").arg(QString::fromStdString(signalName(number)));
    end->unwritten = form.Session().changeCount();
    end->writing = writeUnderWay(form.Torvik().Step.load());
    end->ended = std::move(ended);
    // The limit: the request on the wire counts as sent and not acknowledged.
    QTimer::singleShot(limitMs, &form, [end, &form] {
        if (end->writing)
            end->finish(QString::fromStdString(stopText(*end->writing, form.Torvik().Step.load(), true)));
        else
            end->finish(QString());
    });
    form.Torvik().StopAtFrameBoundary([end](std::int32_t step, bool sentUnanswered) {
        // A write-all that reached its end carried the pages' changes.
        if (end->writing == Transfer::WriteAll && !stepOf(Transfer::WriteAll, step)) end->unwritten = 0;
        end->finish(end->writing ? QString::fromStdString(stopText(*end->writing, step, sentUnanswered))
                                 : QString());
    });
}

} // namespace qv7
