// Signal: lets a test wait for something that another thread (usually the link's reader thread)
// makes true, without sleeping: the other thread calls notify() after each change, the test waits on
// a predicate with a time-out. Thread-safe.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace qv7::test {

class Signal {
public:
    // Any thread: wakes every waiter to look at its predicate again.
    void notify() {
        {
            std::lock_guard lock(mutex_);
            ++generation_;
        }
        changed_.notify_all();
    }

    // Test thread: true as soon as predicate() holds, false when timeout passes first. The predicate
    // runs under the signal's lock, so it must not call notify().
    bool waitFor(const std::function<bool()>& predicate, std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, predicate);
    }

    // Number of notify() calls so far.
    unsigned long notifications() const {
        std::lock_guard lock(mutex_);
        return generation_;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    unsigned long generation_ = 0;
};

} // namespace qv7::test
