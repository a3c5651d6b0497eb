// SIGTERM, SIGINT and SIGHUP end qv7cfg as closing its window does: the event loop returns, and what
// the program keeps at its end (the capture, the simulated indicator's state) is saved, where the
// default action would lose it. On Windows, closing the console qv7cfg was started from, logging off
// and shutting down do the same. Window thread.
#pragma once

#include "base/SignalPipe.h"

#include <QObject>

#include <functional>
#include <memory>

namespace qv7 {

class EndSignals : public QObject {
public:
    // `onSignal` runs on the window thread when a signal came. One object at a time.
    explicit EndSignals(std::function<void()> onSignal, QObject* parent = nullptr);

private:
    SignalPipe pipe_{SIGTERM, SIGINT, HangUpSignal};
    std::unique_ptr<QObject> notifier_; // goes before the pipe it watches
};

} // namespace qv7
