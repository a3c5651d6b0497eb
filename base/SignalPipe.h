// Signals turned into bytes on a pipe that a program's event loop reads: the handler does nothing
// else, since nothing else is safe there. The first signal is the pipe's; the handler then steps
// aside, so a second one takes its default action and ends a program that no longer answers. A
// signal the program was started to ignore (nohup, a background job) stays ignored. One object at a
// time; Qt-free. Made and destroyed on the main thread.
#pragma once

#include <csignal>
#include <initializer_list>
#include <utility>
#include <vector>

namespace qv7 {

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

private:
    int fds_[2] = {-1, -1};
    std::vector<std::pair<int, struct sigaction>> previous_;
};

} // namespace qv7
