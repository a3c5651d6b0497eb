// The benchmarks' one way to time a transfer: the event loop runs until the component says it is
// done, or a guard time passes.
#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <functional>

namespace bench {

// Runs `start`, then the event loop until `done` or 20 s; the elapsed milliseconds, or -1.
inline double runUntil(const std::function<void()>& start, bool& done) {
    done = false;
    QEventLoop loop;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    guard.start(20000);
    QElapsedTimer clock;
    clock.start();
    start();
    while (!done && guard.isActive())
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    return done ? static_cast<double>(clock.nsecsElapsed()) / 1e6 : -1.0;
}

} // namespace bench
