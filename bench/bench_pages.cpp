// The main window's fill step (TorvikReadAllCompleted: every page from the parameter image) and
// write step (BtnWriteAllClick: every page back into the image, then the write-all started) timed
// on a five-choice 4½-digit indicator with four alarms, output and RS485, the heaviest page set.
// A user takes anything under 100 ms as instantaneous; prints the mean, the best and the worst of
// each step over the runs (the repaint it causes included), and fails (exit 1) when a worst run reaches 100
// ms.
#include "app/Application.h"
#include "app/Forms.h"
#include "app/Main.h"
#include "sim/SimulatedBridge.h"
#include "sim/SimulatedIndicator.h"

#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <vector>

namespace {

constexpr int Runs = 200;
constexpr double InstantMs = 100.0;

struct Figures {
    double mean, best, worst;
};

Figures measure(const std::function<void()>& step) {
    std::vector<double> ms;
    for (int i = 0; i < Runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        step();
        QCoreApplication::processEvents(); // the repaint the step asked for, as the user sees it
        ms.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    return {std::accumulate(ms.begin(), ms.end(), 0.0) / Runs, *std::min_element(ms.begin(), ms.end()),
            *std::max_element(ms.begin(), ms.end())};
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    qv7::SimulatedIndicator indicator(qv7::SimulatedIndicator::DefaultTypeWord);
    qv7::SimulatedBridge bridge;
    bridge.addBridge("1", &indicator);
    Forms forms(bridge);
    TTorvik& torvik = MainForm->Torvik();
    torvik.setStepInterval(24 * 3600 * 1000);
    MainForm->show();
    // Connect and read everything once, ticking by hand.
    if (!QTest::qWaitFor([] { return MainForm->StatusText() == QStringLiteral("Lecture des paramètres"); },
                         5000)) {
        std::fprintf(stderr, "bench_pages: the simulated indicator did not connect\n");
        return 2;
    }
    for (int i = 0; i < 12 && !MainForm->StatusText().isEmpty(); ++i) {
        const int step = torvik.Step.load();
        torvik.StepTimer();
        (void)QTest::qWaitFor([&] { return torvik.Step.load() != step; }, 3000);
        QCoreApplication::processEvents();
    }
    if (!MainForm->StatusText().isEmpty()) {
        std::fprintf(stderr, "bench_pages: the read-all did not complete\n");
        return 2;
    }

    const Figures fill = measure([] { MainForm->TorvikReadAllCompleted(); });
    const Figures write = measure([&] {
        MainForm->BtnWriteAllClick();
        torvik.Step = -1; // the write-all is only started: no request leaves before the next tick
        MainForm->TorvikWriteAllCompleted();
    });
    std::printf(
        "fill step   (TorvikReadAllCompleted): mean %.3f ms, best %.3f ms, worst %.3f ms over %d runs\n",
        fill.mean, fill.best, fill.worst, Runs);
    std::printf(
        "write step  (BtnWriteAllClick):       mean %.3f ms, best %.3f ms, worst %.3f ms over %d runs\n",
        write.mean, write.best, write.worst, Runs);
    const bool instant = fill.worst < InstantMs && write.worst < InstantMs;
    std::printf("%s (instantaneous below %.0f ms)\n", instant ? "ok" : "TOO SLOW", InstantMs);
    return instant ? 0 : 1;
}
