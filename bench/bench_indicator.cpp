// The window's transfers through the whole stack against the simulated indicator with the serial
// line's timing (9600 8N2, 11 bits a character) and a 1 ms report period, paced by the component as
// the window has it (step timer 1000 ms, repeats only): the read-all from the link reporting the
// device connected to OnReadAllCompleted, the table read and the table write. Each run is compared
// with the time the bytes alone need on the line plus two report periods per exchange (the reply's
// report and the empty report that closes the frame). One line per transfer: best and mean ratio.
#include "RunUntil.h"
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

using bench::runUntil;

constexpr double BitsPerChar = 11.0;
constexpr double Baud = 9600.0;
constexpr double ReportPeriodMs = 1.0;

double wireBoundMs(int bytesBothWays, int exchanges) {
    return bytesBothWays * BitsPerChar / Baud * 1000.0 + exchanges * 2 * ReportPeriodMs;
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
    const int index = bridge.addBridge("0001", &indicator);
    // As the window has it: the component paces itself, its step timer (1000 ms) only repeats.
    TTorvik torvik(bridge);

    bool done = false;
    torvik.OnConnect = [&](TComponent*) { torvik.ReadAll(); }; // as the window's connect handler
    torvik.OnReadAllCompleted = [&](TComponent*) { done = true; };
    torvik.OnReadLinCompleted = [&](TComponent*, const TLinTable&) { done = true; };
    torvik.OnWriteLinCompleted = [&](TComponent*) { done = true; };
    if (!torvik.OpenDevice(1) || runUntil([] {}, done) < 0) {
        std::fprintf(stderr, "no simulated indicator\n");
        return 1;
    }

    // Read-all: the type word (8 + 7), registers 0-11 and 16-27 (8 + 29 each). Table read: 8
    // requests of 8 bytes, 8 replies of 5 + 32. Table write: 8 requests of 9 + 32 and the 11-byte
    // write of register 2, 9 replies of 8.
    const double readAllBound = wireBoundMs(15 + 2 * 37, 3);
    const double readBound = wireBoundMs(8 * (8 + 37), 8);
    const double writeBound = wireBoundMs(8 * (41 + 8) + (11 + 8), 9);

    std::vector<double> connectTimes, readTimes, writeTimes;
    for (int i = 0; i < runs; ++i) {
        // From the device's return to the pages' fill: unplugged, then plugged in again; the clock
        // starts when the link reports it connected.
        bool lost = false;
        torvik.OnDisconnect = [&](TComponent*) { lost = true; };
        bridge.unplug(index);
        runUntil([] {}, lost);
        done = false;
        bridge.plug(index);
        QElapsedTimer clock;
        bool seen = false;
        torvik.OnConnect = [&](TComponent*) {
            clock.start();
            seen = true;
            torvik.ReadAll();
        };
        const bool read = runUntil([] {}, done) >= 0 && seen;
        connectTimes.push_back(read ? static_cast<double>(clock.nsecsElapsed()) / 1e6 : -1.0);
        readTimes.push_back(runUntil([&] { torvik.ReadLin(); }, done));
        writeTimes.push_back(runUntil([&] { torvik.WriteLin(); }, done));
    }
    report("read-all", connectTimes, readAllBound);
    report("table read", readTimes, readBound);
    report("table write", writeTimes, writeBound);
    return 0;
}
