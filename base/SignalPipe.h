// Signals turned into bytes on a pipe that a program's event loop reads: the handler does nothing
// else, since nothing else is safe there. The first signal is the pipe's; the handler then steps
// aside, so a second one takes its default action and ends a program that no longer answers. A
// signal the program was started to ignore (nohup, a background job) stays ignored. One object at a
// time; Qt-free. Made and destroyed on the main thread.
// On Windows the console's Ctrl+C and Ctrl+Break stand for SIGINT, and closing the console, logging
// off and shutting down for SIGTERM and SIGHUP: they set an event object instead of writing to a
// pipe, and a close waits (a few seconds at most, as long as the system allows) until this object
// is destroyed, so the program's end work is done before the system ends it.
#pragma once

#include <csignal>
#include <initializer_list>
#include <memory>
#include <string>

namespace qv7 {

// The hang-up signal (the terminal went away). Windows has none: closing the console stands for it,
// as for SIGTERM.
#ifdef SIGHUP
inline constexpr int HangUpSignal = SIGHUP;
#else
inline constexpr int HangUpSignal = SIGTERM;
#endif

// "SIGTERM", "SIGINT", "SIGHUP", …; "signal N" for one without a name here.
inline std::string signalName(int number) {
    switch (number) {
    case SIGTERM:
        return "SIGTERM";
    case SIGINT:
        return "SIGINT";
#ifdef SIGHUP
    case SIGHUP:
        return "SIGHUP";
#endif
#ifdef SIGQUIT
    case SIGQUIT:
        return "SIGQUIT";
#endif
    default:
        return "signal " + std::to_string(number);
    }
}

class SignalPipe {
public:
    explicit SignalPipe(std::initializer_list<int> signalNumbers);
    // The signals' actions from before come back.
    ~SignalPipe();
    SignalPipe(const SignalPipe&) = delete;
    SignalPipe& operator=(const SignalPipe&) = delete;

    // What to watch for reading; -1 when no pipe could be made (the signals then keep their actions),
    // and always on Windows.
    int readEnd() const { return fds_[0]; }
    // Windows: the event object set when a signal came (a HANDLE, for QWinEventNotifier); nullptr
    // on POSIX and when none could be made.
    void* wakeEvent() const { return event_; }
    // Empties the pipe; the number of signals that came.
    int drain();
    // The number of the last signal drain() found; 0 before any.
    int lastSignal() const { return last_; }

private:
    struct Previous; // the actions replaced, given back at the end
    int fds_[2] = {-1, -1};
    int last_ = 0;
    void* event_ = nullptr;
    std::unique_ptr<Previous> previous_;
};

} // namespace qv7
