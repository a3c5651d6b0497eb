#include "indicator/LinFit.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace qv7 {

namespace {

using Path = std::vector<std::size_t>; // indices of the chosen pairs, rising

// Calls reach(j) for every j > i whose chord from pair i stays within `bound` of each pair between;
// reach returns false to stop. The slopes the pairs between allow narrow as j goes on; once they no
// longer meet, no chord from i can fit further on.
template <typename Reach>
void scanChords(std::span<const FitPoint> data, std::size_t i, double bound, Reach&& reach) {
    double lo = -std::numeric_limits<double>::infinity();
    double hi = std::numeric_limits<double>::infinity();
    const FitPoint a = data[i];
    for (std::size_t j = i + 1; j < data.size(); ++j) {
        const double dx = data[j].x - a.x;
        const double slope = (data[j].y - a.y) / dx;
        if (slope >= lo && slope <= hi && !reach(j)) return;
        lo = std::max(lo, (data[j].y - bound - a.y) / dx);
        hi = std::min(hi, (data[j].y + bound - a.y) / dx);
        if (lo > hi) return;
    }
}

// The fewest chords within `bound` from the first pair to each pair, pairs taken in input order (every
// chord goes forward, so a pair's count is final when its turn comes). Exact.
std::optional<Path> exactPath(std::span<const FitPoint> data, int segments, double bound) {
    const std::size_t n = data.size();
    constexpr int Unreached = std::numeric_limits<int>::max();
    std::vector<int> count(n, Unreached);
    std::vector<std::size_t> from(n, 0);
    count[0] = 0;
    bool done = false;
    for (std::size_t i = 0; i + 1 < n && !done; ++i) {
        if (count[i] >= segments) continue; // also skips pairs not reached
        scanChords(data, i, bound, [&](std::size_t j) {
            if (count[i] + 1 < count[j]) {
                count[j] = count[i] + 1;
                from[j] = i;
            }
            done = j == n - 1;
            return !done;
        });
    }
    if (count[n - 1] > segments) return std::nullopt;
    Path path{n - 1};
    while (path.back() != 0)
        path.push_back(from[path.back()]);
    std::reverse(path.begin(), path.end());
    return path;
}

// Each chord as far as the bound allows. Never more chords than needed on convex or concave data;
// elsewhere an upper bound.
std::optional<Path> greedyPath(std::span<const FitPoint> data, int segments, double bound) {
    Path path{0};
    while (path.back() != data.size() - 1) {
        if (static_cast<int>(path.size()) > segments) return std::nullopt;
        std::size_t furthest = path.back() + 1;
        scanChords(data, path.back(), bound, [&](std::size_t j) {
            furthest = j;
            return true;
        });
        path.push_back(furthest);
    }
    return path;
}

// The least bound under which `find` finds a path, to a relative 1e-9, between `lo` (fails) and
// `hi`, under which `hiPath` was found.
template <typename Find> Path leastBound(Find&& find, double lo, double hi, Path hiPath) {
    while (hi - lo > 1e-9 * hi) {
        const double mid = lo + (hi - lo) / 2;
        if (auto path = find(mid)) {
            hi = mid;
            hiPath = std::move(*path);
        } else {
            lo = mid;
        }
    }
    return hiPath;
}

std::vector<FitPoint> pointsOf(std::span<const FitPoint> data, const Path& path) {
    std::vector<FitPoint> points;
    points.reserve(path.size());
    for (const std::size_t i : path)
        points.push_back(data[i]);
    return points;
}

// The output of the polyline `curve` at x on segment s (extended past the ends).
double onSegment(std::span<const FitPoint> curve, std::size_t s, double x) {
    const FitPoint a = curve[s];
    const FitPoint b = curve[s + 1];
    if (b.x == a.x) return b.y;
    return a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x);
}

// The largest deviation from the pairs data[first ... last) of the curve's segments around point k
// (k - 1 ... k + 1) when point k's output is y.
double localError(std::span<const FitPoint> curve, std::size_t k, double y, std::span<const FitPoint> data,
                  std::size_t first, std::size_t last) {
    double worst = 0;
    for (std::size_t j = first; j < last; ++j) {
        const FitPoint p = data[j];
        const bool left = p.x <= curve[k].x;
        const FitPoint a = left ? curve[k - 1] : FitPoint{curve[k].x, y};
        const FitPoint b = left ? FitPoint{curve[k].x, y} : curve[k + 1];
        worst = std::max(worst, std::abs(p.y - (a.y + (b.y - a.y) * (p.x - a.x) / (b.x - a.x))));
    }
    return worst;
}

// Each point's output in turn moves to where the largest deviation over its two segments is least
// (that deviation is convex in the output: a golden-section search finds it). Only those two
// segments change and their larger deviation never grows, so neither does the curve's. The curve's
// largest deviation may only fall after several sweeps; they end when none gains a thousandth of it.
void balanceOutputs(std::vector<FitPoint>& curve, std::span<const FitPoint> data, bool pinEnds) {
    // Outside the data the ends are extended: a lone end segment is balanced as if mirrored.
    const std::size_t n = curve.size();
    std::vector<FitPoint> work;
    work.reserve(n + 2);
    work.push_back({2 * curve[0].x - curve[1].x, 2 * curve[0].y - curve[1].y});
    work.insert(work.end(), curve.begin(), curve.end());
    work.push_back({2 * curve[n - 1].x - curve[n - 2].x, 2 * curve[n - 1].y - curve[n - 2].y});
    const auto firstAt = [&](double x) {
        return static_cast<std::size_t>(
            std::lower_bound(data.begin(), data.end(), x,
                             [](const FitPoint& p, double v) { return p.x < v; }) -
            data.begin());
    };
    const double before = curveDeviation(curve, data).error;
    // A sweep costs about 100 evaluations per pair: large sets get fewer sweeps, to stay quick.
    const int sweeps = static_cast<int>(std::clamp<std::size_t>(20'000'000 / (100 * data.size() + 1), 1, 30));
    for (int sweep = 0; sweep < sweeps && before > 0; ++sweep) {
        double gained = 0; // the most a point's segments gained in this sweep
        for (std::size_t k = pinEnds ? 2 : 1; k + (pinEnds ? 2 : 1) < work.size(); ++k) {
            const std::size_t first = firstAt(work[k - 1].x);
            const std::size_t last = firstAt(work[k + 1].x);
            const auto f = [&](double y) { return localError(work, k, y, data, first, last); };
            double lo = work[k].y - 2 * before, hi = work[k].y + 2 * before;
            const double ratio = (std::sqrt(5.0) - 1) / 2;
            double m1 = hi - ratio * (hi - lo), m2 = lo + ratio * (hi - lo);
            double f1 = f(m1), f2 = f(m2);
            for (int i = 0; i < 48; ++i) {
                if (f1 <= f2) {
                    hi = m2, m2 = m1, f2 = f1, m1 = hi - ratio * (hi - lo), f1 = f(m1);
                } else {
                    lo = m1, m1 = m2, f1 = f2, m2 = lo + ratio * (hi - lo), f2 = f(m2);
                }
            }
            const double now = f(work[k].y);
            if (std::min(f1, f2) < now) {
                work[k].y = f1 <= f2 ? m1 : m2;
                gained = std::max(gained, now - std::min(f1, f2));
            }
            // The mirrored ends follow the ends they extend.
            if (k == 1) work[0].y = 2 * work[1].y - work[2].y;
            if (k == work.size() - 2) work[k + 1].y = 2 * work[k].y - work[k - 1].y;
        }
        std::copy(work.begin() + 1, work.end() - 1, curve.begin());
        if (gained < 1e-3 * before) break;
    }
}

} // namespace

Deviation curveDeviation(std::span<const FitPoint> curve, std::span<const FitPoint> data) {
    Deviation worst;
    worst.at = data.empty() ? 0.0 : data.front().x;
    if (curve.size() < 2) return worst;
    std::size_t s = 0;
    for (const FitPoint& p : data) {
        while (s + 2 < curve.size() && p.x > curve[s + 1].x)
            ++s;
        const double error = std::abs(p.y - onSegment(curve, s, p.x));
        if (error > worst.error) worst = {error, p.x};
    }
    return worst;
}

std::vector<FitPoint> evenCurve(std::span<const FitPoint> data, int budget) {
    const double first = data.front().x;
    const double last = data.back().x;
    std::vector<FitPoint> curve;
    std::size_t s = 0;
    for (int k = 0; k < budget; ++k) {
        const double x = first + (last - first) * k / (budget - 1);
        while (s + 1 < data.size() && data[s + 1].x <= x)
            ++s;
        const bool nextIsNearer = s + 1 < data.size() && data[s + 1].x - x < x - data[s].x;
        const FitPoint nearest = data[nextIsNearer ? s + 1 : s];
        if (curve.empty() || nearest.x > curve.back().x) curve.push_back(nearest);
    }
    return curve;
}

bool fitsWithin(std::span<const FitPoint> data, int budget, double bound) {
    return data.size() < 2 || exactPath(data, budget - 1, bound).has_value();
}

LinFitResult fitLinCurve(std::span<const FitPoint> data, int budget, const LinFitOptions& options) {
    const int exactLimit = options.exactLimit;
    budget = std::clamp(budget, LinFitMinPoints, LinFitMaxPoints);
    LinFitResult result;
    if (data.size() <= static_cast<std::size_t>(budget)) {
        result.points.assign(data.begin(), data.end());
    } else {
        const int segments = budget - 1;
        // The chord of the two ends is one segment: its deviation is a bound that fits.
        const std::vector<FitPoint> ends{data.front(), data.back()};
        double hi = curveDeviation(ends, data).error * (1 + 1e-12) + 1e-12;
        Path path = leastBound([&](double b) { return greedyPath(data, segments, b); }, 0.0, hi,
                               Path{0, data.size() - 1});
        if (data.size() <= static_cast<std::size_t>(exactLimit)) {
            hi = curveDeviation(pointsOf(data, path), data).error * (1 + 1e-12) + 1e-12;
            path = leastBound([&](double b) { return exactPath(data, segments, b); }, 0.0, hi, path);
        }
        result.points = pointsOf(data, path);
        if (options.offData) balanceOutputs(result.points, data, options.pinEnds);
    }
    result.deviation = curveDeviation(result.points, data);
    result.evenDeviation = curveDeviation(evenCurve(data, budget), data);
    return result;
}

} // namespace qv7
