// The window's read-all with the frame monitor open against the same read-all without it: the
// simulated indicator with the serial line's timing (9600 8N2) and a 1 ms report period, paced by
// the component as the window has it. Runs alternate (monitor shown and taking every frame, then
// hidden and taking none) so that both see the same machine load; one line each, best and mean,
// and their ratio. Then one hour of live reading on the service page (two input reads every 250 ms,
// 28 800 frames) fed to the monitor: the rows it keeps and the memory the process grew by.
#include "RunUntil.h"
#include "app/FrameMonitor.h"
#include "indicator/Torvik.h"
#include "sim/SimulatedBridge.h"
#include "sim/SimulatedIndicator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

using bench::runUntil;

long residentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

std::pair<double, double> bestMean(const std::vector<double>& times) {
    double sum = 0;
    for (double t : times)
        sum += t;
    return {*std::min_element(times.begin(), times.end()), sum / static_cast<double>(times.size())};
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;

    qv7::SimulatedIndicator indicator;
    qv7::SimulatedBridge bridge(std::chrono::milliseconds(1));
    bridge.setSerialTiming(true);
    bridge.addBridge("0001", &indicator);
    TTorvik torvik(bridge);
    qv7::FrameMonitor monitor;
    QWidget mainWindow;
    monitor.attach(torvik, mainWindow);
    const TFrameEvent toMonitor = torvik.OnFrame;

    bool done = false;
    torvik.OnConnect = [&](TComponent*) { done = true; };
    torvik.OnReadAllCompleted = [&](TComponent*) { done = true; };
    if (!torvik.OpenDevice(1) || runUntil([] {}, done) < 0) {
        std::fprintf(stderr, "no simulated indicator\n");
        return 1;
    }
    // The scan's connection and the open's both report: let the second one pass before timing.
    torvik.OnConnect = {};
    QTimer settle;
    settle.setSingleShot(true);
    settle.start(200);
    while (settle.isActive())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    std::vector<double> with, without;
    for (int i = 0; i < 2 * runs; ++i) {
        const bool open = i % 2 == 0;
        // The component's thread sets its event while no transfer runs.
        torvik.OnFrame = open ? toMonitor : TFrameEvent();
        monitor.setVisible(open);
        const double ms = runUntil([&] { torvik.ReadAll(); }, done);
        if (ms < 0) {
            std::fprintf(stderr, "the read-all did not complete\n");
            return 1;
        }
        (open ? with : without).push_back(ms);
        // A pause between transfers, as a user makes: the monitor draws its new rows once the line
        // is quiet.
        settle.start(150);
        while (settle.isActive())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    const auto [bestWith, meanWith] = bestMean(with);
    const auto [bestWithout, meanWithout] = bestMean(without);
    std::printf("read-all without the monitor  best %7.2f ms  mean %7.2f ms  runs %d\n", bestWithout,
                meanWithout, runs);
    std::printf("read-all with the monitor     best %7.2f ms  mean %7.2f ms  runs %d\n", bestWith, meanWith,
                runs);
    std::printf("with / without                best %.3fx  mean %.3fx\n", bestWith / bestWithout,
                meanWith / meanWithout);

    // An hour of live reading: a request and its reply every 125 ms.
    const long before = residentKiB();
    TFrameRecord request{0, true, {0xFF, 0x04, 0x00, 0x05, 0x00, 0x04, 0xF4, 0x13}, {}};
    TFrameRecord reply{0, false, {0xFF, 0x04, 0x08, 1, 2, 3, 4, 5, 6, 7, 8, 0x00, 0x00}, {}};
    reply.verdict.function = 4;
    reply.verdict.start = 5;
    reply.verdict.count = 4;
    const int frames = 3600 * 8;
    for (int i = 0; i < frames / 2; ++i) {
        request.at = monitor.log().startNs() + std::int64_t{250'000'000} * i;
        reply.at = request.at + 20'000'000;
        monitor.addFrame(request);
        monitor.addFrame(reply);
        if (i % 1000 == 0) QApplication::processEvents();
    }
    QApplication::processEvents();
    std::printf("one hour of live reading      %d frames, %d rows kept, memory grew by %ld KiB\n", frames,
                monitor.log().rowCount(), residentKiB() - before);
    return 0;
}
