// The curve fitter: time and largest deviation for 1 000, 10 000 and 100 000 measured pairs with 32
// points, whether the deviation is proved within 2 % of the best polyline on the data (no polyline
// fits within 98 % of it), and the figures of the built-in shapes against evenly spread points.
// Usage: bench_linfit [REPEATS]
#include "indicator/LinFit.h"
#include "indicator/Measures.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>

using namespace qv7;

namespace {

// A tank's volume against its level as a logger records it: the shape plus a little noise.
std::vector<FitPoint> measured(int pairs, double noise) {
    std::vector<FitPoint> data = shapeSamples(LinShape::HorizontalCylinder, pairs);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> jitter(-noise, noise);
    for (std::size_t i = 1; i + 1 < data.size(); ++i)
        data[i].y = std::clamp(data[i].y + jitter(random), 0.0, 100.0);
    return data;
}

void timeFit(const char* name, const std::vector<FitPoint>& data, int budget, int repeats) {
    double best = 1e30;
    LinFitResult result;
    for (int r = 0; r < repeats; ++r) {
        const auto start = std::chrono::steady_clock::now();
        result = fitLinCurve(data, budget);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    const bool proved = !fitsWithin(data, budget, 0.98 * result.deviation.error);
    std::printf("%-8s pairs %6zu N %2d  time %.4f s  max_error %.5f %% at %.3f  within 2 %% of best: %s\n",
                name, data.size(), budget, best, result.deviation.error, result.deviation.at,
                proved ? "proved" : "not proved");
}

void shapeFigure(const char* name, LinShape shape, int samples, int budget) {
    const std::vector<FitPoint> data = shapeSamples(shape, samples);
    const LinFitResult result = fitLinCurve(data, budget);
    const auto start = std::chrono::steady_clock::now();
    const LinFitResult off = fitLinCurve(data, budget, {.offData = true});
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf(
        "shape %-7s samples %5d N %2d  fitted %.4f %% at %.2f  even %.4f %% at %.2f  off the data %.4f %% "
        "(%.3f s)\n",
        name, samples, budget, result.deviation.error, result.deviation.at, result.evenDeviation.error,
        result.evenDeviation.at, off.deviation.error, took.count());
}

} // namespace

int main(int argc, char** argv) {
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    for (const int pairs : {1000, 10000, 100000}) {
        timeFit("smooth", shapeSamples(LinShape::HorizontalCylinder, pairs), 32, repeats);
        timeFit("noisy", measured(pairs, 0.01), 32, repeats);
    }
    shapeFigure("sqrt", LinShape::SquareRoot, 101, 32);
    shapeFigure("sqrt", LinShape::SquareRoot, 1001, 32);
    shapeFigure("hcyl", LinShape::HorizontalCylinder, 101, 12);
    shapeFigure("hcyl", LinShape::HorizontalCylinder, 1001, 12);
    shapeFigure("sphere", LinShape::Sphere, 1001, 12);
    shapeFigure("hcyl", LinShape::HorizontalCylinder, 100000, 32);
    return 0;
}
