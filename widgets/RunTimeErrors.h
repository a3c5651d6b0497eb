// Where the windows' run-time errors end: an ERangeError, EIntOverflow or EInOutError raised by a
// handler stops that handler's action and is shown as a plain message box. The window layers wrap
// the handlers that Qt's signals and queued calls reach; the application's notify() is the net for
// everything else. Window thread.
#pragma once

#include "base/Errors.h"

#include <QString>

namespace qv7 {

// An error of the window layers that says itself in the window's current language (a message
// built from what the window shows, such as a field's label and limits).
class WindowTextError {
public:
    virtual ~WindowTextError() = default;
    virtual QString windowText() const = 0;
};

// The text the window shows for a run-time error, in the window's current language: its template
// translated and filled, or its own window text; a message without either as it is.
QString errorText(const RunTimeError& error);

// Shows a run-time error as the windows do: its text in a plain message box.
void reportRunTimeError(const RunTimeError& error);
// How many run-time errors have been reported since the program started.
int runTimeErrorCount();

// Runs a handler; a run-time error ends it there and is reported, so an error never unwinds through
// the toolkit's own frames.
template <typename Fn> void runGuarded(Fn&& handler) {
    try {
        handler();
    } catch (const RunTimeError& error) {
        reportRunTimeError(error);
    }
}

} // namespace qv7
