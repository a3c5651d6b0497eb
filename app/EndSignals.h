// SIGTERM, SIGINT and SIGHUP end qv7cfg without a question: a write to the indicator in flight stops
// at the next frame boundary, what it wrote and what it did not and the changes left unwritten are
// said, and the event loop returns, so that what the program keeps at its end (the capture, the
// simulated indicator's state) is saved, where the default action would lose it. On Windows, closing
// the console qv7cfg was started from, logging off and shutting down do the same. Window thread.
#pragma once

#include "base/SignalPipe.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>

class TMainForm;

namespace qv7 {

class EndSignals : public QObject {
public:
    // `onSignal` runs on the window thread with the signal's number when one came. One object at a time.
    explicit EndSignals(std::function<void(int number)> onSignal, QObject* parent = nullptr);

private:
    SignalPipe pipe_{SIGTERM, SIGINT, HangUpSignal};
    std::unique_ptr<QObject> notifier_; // goes before the pipe it watches
};

// The window's end on signal `number`: asks nothing; a parameter or table write in flight is let
// finish the exchange on the wire (at most its repeat interval, and never past `limitMs`) and sends
// nothing more. `ended` then runs once with the lines to say ("qv7cfg: …": what the write did, how
// many changes were not written), the window left open for the caller to end the program.
void endWindow(TMainForm& form, int number, std::function<void(const QStringList& report)> ended,
               int limitMs = 1500);

} // namespace qv7
