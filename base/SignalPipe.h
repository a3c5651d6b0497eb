// Signals turned into bytes on a pipe that a program's event loop reads: the handler does nothing
// else, since nothing else is safe there. The first signal is the pipe's; the handler then steps
// aside, so a second one takes its default action and ends a program that no longer answers. A
// signal the program was started to ignore (nohup, a background job) stays ignored. One object at a
// time; Qt-free. Made and destroyed on the main thread.
#pragma once

#include <csignal>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace qv7 {

// "SIGTERM", "SIGINT", "SIGHUP", …; "signal N" for one without a name here.
std::string signalName(int number);

class SignalPipe {
public:
    explicit SignalPipe(std::initializer_list<int> signalNumbers);
    // The signals' actions from before come back.
    ~SignalPipe();
    SignalPipe(const SignalPipe&) = delete;
    SignalPipe& operator=(const SignalPipe&) = delete;

    // What to watch for reading; -1 when no pipe could be made (the signals then keep their actions).
    int readEnd() const { return fds_[0]; }
    // Empties the pipe; the number of signals that came.
    int drain();
    // The number of the last signal drain() found; 0 before any.
    int lastSignal() const { return last_; }

private:
    int fds_[2] = {-1, -1};
    int last_ = 0;
    std::vector<std::pair<int, struct sigaction>> previous_;
};

} // namespace qv7
