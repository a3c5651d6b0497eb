// The console's control events as the POSIX signals they stand for. The system calls the handler
// on a thread of its own, so it may set an event and wait, which a signal handler may not.
#include "base/SignalPipe.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <vector>

namespace qv7 {

namespace {

// How long a close of the console waits for the program's end work: the system ends the program
// itself 5 seconds after the event.
constexpr DWORD CloseWaitMs = 4500;

std::atomic<HANDLE> wake{nullptr};
std::atomic<HANDLE> ended{nullptr};
std::atomic<long> count{0};
std::atomic<int> which{0}; // the signal the last event stands for
std::atomic<bool> taken{false};
std::atomic<bool> wantInterrupt{false};
std::atomic<bool> wantEnd{false};

BOOL WINAPI onControl(DWORD type) {
    const bool interrupt = type == CTRL_C_EVENT || type == CTRL_BREAK_EVENT;
    const bool end = type == CTRL_CLOSE_EVENT || type == CTRL_LOGOFF_EVENT || type == CTRL_SHUTDOWN_EVENT;
    if (!(interrupt && wantInterrupt) && !(end && wantEnd)) return FALSE;
    // The first event is the program's; a second one takes the default action (the program ends).
    if (taken.exchange(true)) return FALSE;
    which = interrupt ? SIGINT : SIGTERM;
    ++count;
    if (HANDLE event = wake.load()) ::SetEvent(event);
    if (end) {
        // Returning lets the system end the program at once: wait for its end work.
        if (HANDLE done = ended.load()) ::WaitForSingleObject(done, CloseWaitMs);
    }
    return TRUE;
}

} // namespace

struct SignalPipe::Previous {
    bool installed = false;
};

SignalPipe::SignalPipe(std::initializer_list<int> signalNumbers) : previous_(std::make_unique<Previous>()) {
    const auto wanted = [&](int number) {
        return std::find(signalNumbers.begin(), signalNumbers.end(), number) != signalNumbers.end();
    };
    HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (event == nullptr || done == nullptr) {
        if (event != nullptr) ::CloseHandle(event);
        if (done != nullptr) ::CloseHandle(done);
        return;
    }
    event_ = event;
    count = 0;
    taken = false;
    wantInterrupt = wanted(SIGINT);
    wantEnd = wanted(SIGTERM);
    wake = event;
    ended = done;
    previous_->installed = ::SetConsoleCtrlHandler(onControl, TRUE) != 0;
}

SignalPipe::~SignalPipe() {
    if (event_ == nullptr) return;
    if (previous_->installed) ::SetConsoleCtrlHandler(onControl, FALSE);
    HANDLE done = ended.exchange(nullptr);
    // A close that waits may go on: the end work is done.
    ::SetEvent(done);
    wake = nullptr;
    ::CloseHandle(static_cast<HANDLE>(event_));
    // The handler may still hold `done` for a moment; it is a small leak against a use after close.
}

int SignalPipe::drain() {
    if (event_ == nullptr) return 0;
    ::ResetEvent(static_cast<HANDLE>(event_));
    const int came = static_cast<int>(count.exchange(0));
    if (came > 0) last_ = which;
    return came;
}

} // namespace qv7
