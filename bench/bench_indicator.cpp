// Table read and table write through the whole stack against the simulated indicator with the serial
// line's timing (9600 8N2, 11 bits a character) and a 1 ms report period. The step machine is ticked
// as soon as each reply's event arrives, as qv7ctl does; each run is compared with the time the bytes
// alone need on the line plus two report periods per exchange (the reply's report and the empty report
// that closes the frame). Prints one line per transfer: best and mean ratio over the runs.
#include "indicator/Torvik.h"
#include "sim/SimulatedBridge.h"
#include "sim/SimulatedIndicator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr double BitsPerChar = 11.0;
constexpr double Baud = 9600.0;
constexpr double ReportPeriodMs = 1.0;

double wireBoundMs(int bytesBothWays, int exchanges) {
    return bytesBothWays * BitsPerChar / Baud * 1000.0 + exchanges * 2 * ReportPeriodMs;
}

// Runs the event loop until done() or the guard time passes; returns the elapsed milliseconds or -1.
double runUntil(const std::function<void()>& start, bool& done) {
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

void report(const char* name, const std::vector<double>& times, double boundMs) {
    if (std::find(times.begin(), times.end(), -1.0) != times.end()) {
        std::printf("%-12s did not complete\n", name);
        return;
    }
    const double best = *std::min_element(times.begin(), times.end());
    double sum = 0;
    for (double t : times)
        sum += t;
    const double mean = sum / static_cast<double>(times.size());
    std::printf("%-12s bound %7.1f ms  best %7.1f ms (%.3fx)  mean %7.1f ms (%.3fx)  runs %zu\n", name,
                boundMs, best, best / boundMs, mean, mean / boundMs, times.size());
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    qv7::SimulatedIndicator indicator;
    qv7::SimulatedBridge bridge(std::chrono::milliseconds(1));
    bridge.setSerialTiming(true);
    bridge.addBridge("0001", &indicator);
    TTorvik torvik(bridge);
    torvik.setStepInterval(24 * 3600 * 1000); // every tick below comes from a reply's event

    bool connected = false, done = false;
    torvik.OnConnect = [&](TComponent*) { connected = true; };
    if (!torvik.OpenDevice(1) || runUntil([] {}, connected) < 0) {
        std::fprintf(stderr, "no simulated indicator\n");
        return 1;
    }

    torvik.OnReadLin = [&](TComponent*, int position) {
        if (position % 16 == 15 && position != 127) torvik.StepTimer();
    };
    torvik.OnReadLinCompleted = [&](TComponent*, const TLinTable&) { done = true; };
    torvik.OnWriteLin = [&](TComponent*, int) { torvik.StepTimer(); };
    torvik.OnWriteLinCompleted = [&](TComponent*) { done = true; };

    // Read: 8 requests of 8 bytes, 8 replies of 5 + 32. Write: 8 requests of 9 + 32 and the 11-byte
    // write of register 2, 9 replies of 8.
    const double readBound = wireBoundMs(8 * (8 + 37), 8);
    const double writeBound = wireBoundMs(8 * (41 + 8) + (11 + 8), 9);

    std::vector<double> readTimes, writeTimes;
    for (int i = 0; i < runs; ++i) {
        readTimes.push_back(runUntil(
            [&] {
                torvik.ReadLin();
                torvik.StepTimer();
            },
            done));
        writeTimes.push_back(runUntil(
            [&] {
                torvik.WriteLin();
                torvik.StepTimer();
            },
            done));
    }
    report("table read", readTimes, readBound);
    report("table write", writeTimes, writeBound);
    return 0;
}
