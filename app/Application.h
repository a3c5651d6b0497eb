// TApplication: the tool's QApplication. It is where the window layer's run-time errors end: an
// ERangeError, EIntOverflow or EInOutError raised by a handler stops that handler's action and is
// shown as a plain message box, and the event loop goes on. Window thread.
#pragma once

#include "base/Errors.h"
#include "widgets/RunTimeErrors.h"

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
