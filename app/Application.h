// TApplication: the tool's QApplication. It is where the window layer's run-time errors end: an
// ERangeError, EIntOverflow or EInOutError raised by a handler stops that handler's action and is
// shown as a plain message box, and the event loop goes on. Window thread.
#pragma once

#include "base/Errors.h"

#include <QApplication>

class TApplication : public QApplication {
    Q_OBJECT
public:
    // Names the application "qv7cfg" and gives it the windows' font.
    TApplication(int& argc, char** argv);

    // Delivers the event; a qv7::RunTimeError escaping the receiver is shown with its French text
    // and the event counts as not handled. Other exceptions pass on untouched.
    bool notify(QObject* receiver, QEvent* event) override;
};

namespace qv7 {

// Shows a run-time error as the window layer does: its French text in a plain message box.
void reportRunTimeError(const RunTimeError& error);
// How many run-time errors have been reported since the program started.
int runTimeErrorCount();

// Runs a handler; a run-time error ends it there and is reported. The window wraps the handlers
// that Qt's signals and queued calls reach, so an error never unwinds through the toolkit's own
// frames; notify() is the net for everything else.
template <typename Fn> void runGuarded(Fn&& handler) {
    try {
        handler();
    } catch (const RunTimeError& error) {
        reportRunTimeError(error);
    }
}

} // namespace qv7
