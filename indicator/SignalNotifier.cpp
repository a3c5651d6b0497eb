#include "indicator/SignalNotifier.h"

#include <QSocketNotifier>

namespace qv7 {

std::unique_ptr<QObject> makeSignalNotifier(SignalPipe& pipe, std::function<void(int number)> onSignal) {
    if (pipe.readEnd() < 0) return nullptr;
    auto notifier = std::make_unique<QSocketNotifier>(pipe.readEnd(), QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, [&pipe, onSignal = std::move(onSignal)] {
        if (pipe.drain() > 0) onSignal(pipe.lastSignal());
    });
    return notifier;
}

} // namespace qv7
