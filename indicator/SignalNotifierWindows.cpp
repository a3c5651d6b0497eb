#include "indicator/SignalNotifier.h"

#include <QWinEventNotifier>

namespace qv7 {

std::unique_ptr<QObject> makeSignalNotifier(SignalPipe& pipe, std::function<void(int number)> onSignal) {
    if (pipe.wakeEvent() == nullptr) return nullptr;
    auto notifier = std::make_unique<QWinEventNotifier>(static_cast<Qt::HANDLE>(pipe.wakeEvent()));
    QObject::connect(notifier.get(), &QWinEventNotifier::activated, [&pipe, onSignal = std::move(onSignal)] {
        if (pipe.drain() > 0) onSignal(pipe.lastSignal());
    });
    return notifier;
}

} // namespace qv7
