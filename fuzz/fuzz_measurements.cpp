// Arbitrary text through the measurements reader and, when it is accepted, the curve fitter: a
// refused table yields no pair; an accepted one holds 2 to 100 000 pairs, inputs strictly rising,
// every value within -25 ... 125 %; the fitted curve keeps the first and last pair, has X rising
// and at most the budget (picked by the first byte) of points, and deviates as it reports, also
// off the data (the second byte's low bit).
#include "indicator/LinFit.h"
#include "indicator/Measures.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto read = qv7::parseMeasurements(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!read.ok()) {
        if (!read.pairs.empty()) std::abort();
        return 0;
    }
    const auto& pairs = read.pairs;
    if (pairs.size() < 2 || pairs.size() > qv7::MeasureMaxPairs) std::abort();
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        if (!(pairs[i].x >= qv7::MeasureLow && pairs[i].x <= qv7::MeasureHigh)) std::abort();
        if (!(pairs[i].y >= qv7::MeasureLow && pairs[i].y <= qv7::MeasureHigh)) std::abort();
        if (i > 0 && !(pairs[i].x > pairs[i - 1].x)) std::abort();
    }
    const int budget = size > 0 ? 2 + data[0] % 31 : 2;
    const bool offData = size > 1 && (data[1] & 1) != 0;
    const qv7::LinFitResult fit = qv7::fitLinCurve(pairs, budget, {.offData = offData});
    if (fit.points.size() < 2 || fit.points.size() > static_cast<std::size_t>(budget)) std::abort();
    // Off the data only the outputs move, and the ends stay pinned.
    if (!(fit.points.front() == pairs.front()) || !(fit.points.back() == pairs.back())) std::abort();
    for (std::size_t i = 1; i < fit.points.size(); ++i)
        if (!(fit.points[i].x > fit.points[i - 1].x)) std::abort();
    if (!std::isfinite(fit.deviation.error) ||
        fit.deviation.error != qv7::curveDeviation(fit.points, pairs).error)
        std::abort();
    return 0;
}
