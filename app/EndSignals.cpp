#include "app/EndSignals.h"

#include "indicator/SignalNotifier.h"

namespace qv7 {

EndSignals::EndSignals(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), notifier_(makeSignalNotifier(pipe_, std::move(onSignal))) {}

} // namespace qv7
