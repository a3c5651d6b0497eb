// The curve plot control on a 361-point curve in the editor's 409 x 401 control (handles on, a
// point selected): one drag step of a point (its old figure erased in not-xor, the new one drawn,
// its text), one drag step of the cursor cross (the same for the cross), and one full Paint, in
// one run. Prints the time per operation (best and median of the runs), the ratio of a full Paint
// to each drag step, and the area each one sends to the screen. The drags go through 64 places,
// so their texts change as in a real drag. "whole curve twice" is the step done literally
// (DrawCurve before and after the move), which the control draws only around the moved point. The "with
// screen" lines add the copy of the updated area to the window (offscreen platform), by processing the paint
// events.
//   QT_QPA_PLATFORM=offscreen bench_draw [iterations]
#include "lineditor/Draw.h"
#include "widgets/WindowLook.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Figure {
    double best = 0;
    double median = 0;
};

// Runs `step` `iterations` times per run, `runs` runs; nanoseconds per step.
Figure measure(int runs, int iterations, const std::function<void(int)>& step) {
    std::vector<double> perStep;
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        for (int i = 0; i < iterations; ++i)
            step(i);
        const auto stop = Clock::now();
        perStep.push_back(std::chrono::duration<double, std::nano>(stop - start).count() / iterations);
    }
    std::sort(perStep.begin(), perStep.end());
    return {perStep.front(), perStep[perStep.size() / 2]};
}

long long areaOf(const QRegion& region) {
    long long area = 0;
    for (const QRect& r : region)
        area += static_cast<long long>(r.width()) * r.height();
    return area;
}

void setUp(TDraw& draw) {
    draw.resize(409, 401);
    draw.setClip(true);
    draw.setNbMaxSegment(32);
    for (int i = 0; i <= 360; ++i) {
        const double x = i * 100.0 / 360.0;
        const double y = 100.0 * std::pow(x / 100.0, 1.5) + 3.0 * std::sin(i / 9.0);
        draw.Points[i] = {static_cast<float>(x), static_cast<float>(y)};
    }
    draw.NbSegment = 360;
    draw.Selected = 180;
    draw.UpdateCurve();
}

void line(const char* name, const Figure& f, double paintMedian, long long area) {
    std::printf("%-34s best %9.1f us  median %9.1f us  Paint/step %6.1fx  area %6lld px (%4.1f%%)\n", name,
                f.best / 1000, f.median / 1000, paintMedian / f.median, area, 100.0 * area / (409.0 * 401.0));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    qv7::applyWindowFont(app);
    const int iterations = argc > 1 ? std::max(1, std::atoi(argv[1])) : 400;
    const int runs = 7;

    TDraw draw;
    setUp(draw);

    // A full Paint.
    draw.takeUpdatedRegion();
    const Figure paint = measure(runs, iterations, [&](int) { draw.Paint(); });
    const long long paintArea = areaOf(draw.takeUpdatedRegion());

    // One drag step of point 180 (between its neighbours' columns, so it moves up and down).
    const TPixelPoint p = draw.PixelPoint(180);
    draw.DrawMouseDown(TMouseButton::mbLeft, ssLeft, p.x, p.y);
    draw.takeUpdatedRegion();
    draw.DrawMouseMove(ssLeft, p.x, p.y - 3);
    const long long dragArea = areaOf(draw.takeUpdatedRegion());
    const Figure drag =
        measure(runs, iterations, [&](int i) { draw.DrawMouseMove(ssLeft, p.x, p.y - 3 - (i % 64)); });
    // The step done literally, the whole curve drawn twice, for comparison.
    const Figure wholeCurve = measure(runs, iterations, [&](int) {
        draw.DrawCurve();
        draw.DrawCurve();
        draw.ShowPointInfo();
    });
    draw.takeUpdatedRegion();
    draw.DrawCurve();
    draw.DrawCurve();
    const long long wholeCurveArea = areaOf(draw.takeUpdatedRegion());
    draw.DrawMouseUp(TMouseButton::mbLeft, 0, p.x, p.y);

    // One drag step of the cursor cross.
    draw.Selected = -1;
    draw.SetCursorAt(200, 0);
    draw.Paint();
    draw.DrawMouseDown(TMouseButton::mbLeft, ssLeft, draw.CursorPx(), 100);
    draw.takeUpdatedRegion();
    draw.DrawMouseMove(ssLeft, 203, 100);
    const long long crossArea = areaOf(draw.takeUpdatedRegion());
    const Figure cross =
        measure(runs, iterations, [&](int i) { draw.DrawMouseMove(ssLeft, 160 + i % 64, 100); });
    draw.DrawMouseUp(TMouseButton::mbLeft, 0, 200, 100);

    // The same with the window shown: each step's paint events copy the updated area to the screen.
    draw.Selected = 180;
    draw.show();
    QApplication::processEvents();
    const Figure paintShown = measure(runs, iterations / 4 + 1, [&](int) {
        draw.Paint();
        draw.repaint();
    });
    draw.DrawMouseDown(TMouseButton::mbLeft, ssLeft, p.x, p.y);
    const Figure dragShown = measure(runs, iterations / 4 + 1, [&](int i) {
        draw.DrawMouseMove(ssLeft, p.x, p.y - 3 - (i % 64));
        draw.repaint(draw.takeUpdatedRegion());
    });
    draw.DrawMouseUp(TMouseButton::mbLeft, 0, p.x, p.y);

    std::printf("curve of 361 points, control 409 x 401, %d runs of %d steps\n", runs, iterations);
    line("full Paint", paint, paint.median, paintArea);
    line("point drag step", drag, paint.median, dragArea);
    line("point drag step, whole curve twice", wholeCurve, paint.median, wholeCurveArea);
    line("cross drag step", cross, paint.median, crossArea);
    line("full Paint, with screen", paintShown, paintShown.median, paintArea);
    line("point drag step, with screen", dragShown, paintShown.median, dragArea);
    return 0;
}
