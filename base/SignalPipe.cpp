#include "base/SignalPipe.h"

#include <cerrno>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace qv7 {

namespace {

volatile std::sig_atomic_t writeEnd = -1;

extern "C" void onSignal(int number) {
    const int saved = errno;
    // Signal numbers fit a byte; the byte says which one came.
    const auto byte = static_cast<unsigned char>(number);
    // A full pipe already holds a wake-up.
    [[maybe_unused]] const auto n = ::write(writeEnd, &byte, 1);
    errno = saved;
}

} // namespace

struct SignalPipe::Previous {
    std::vector<std::pair<int, struct sigaction>> actions;
};

SignalPipe::SignalPipe(std::initializer_list<int> signalNumbers) : previous_(std::make_unique<Previous>()) {
    if (::pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) {
        fds_[0] = fds_[1] = -1;
        return;
    }
    writeEnd = fds_[1];
    struct sigaction action {};
    action.sa_handler = onSignal;
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int number : signalNumbers) {
        struct sigaction before {};
        if (::sigaction(number, nullptr, &before) != 0 || before.sa_handler == SIG_IGN) continue;
        if (::sigaction(number, &action, &before) == 0) previous_->actions.emplace_back(number, before);
    }
}

SignalPipe::~SignalPipe() {
    if (fds_[0] < 0) return;
    for (const auto& [number, before] : previous_->actions)
        ::sigaction(number, &before, nullptr);
    writeEnd = -1;
    ::close(fds_[0]);
    ::close(fds_[1]);
}

int SignalPipe::drain() {
    int count = 0;
    unsigned char bytes[16];
    for (ssize_t n; fds_[0] >= 0 && (n = ::read(fds_[0], bytes, sizeof bytes)) > 0;) {
        count += static_cast<int>(n);
        last_ = bytes[n - 1];
    }
    return count;
}

} // namespace qv7
