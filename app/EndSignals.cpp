#include "app/EndSignals.h"

namespace qv7 {

EndSignals::EndSignals(std::function<void()> onSignal, QObject* parent) : QObject(parent) {
    if (pipe_.readEnd() < 0) return; // the signals keep their default actions
    notifier_ = std::make_unique<QSocketNotifier>(pipe_.readEnd(), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this, onSignal = std::move(onSignal)] {
        if (pipe_.drain() > 0) onSignal();
    });
}

} // namespace qv7
