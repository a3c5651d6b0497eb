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

LinFitResult fitLinCurve(std::span<const FitPoint> data, int budget, int exactLimit) {
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
    }
    result.deviation = curveDeviation(result.points, data);
    result.evenDeviation = curveDeviation(evenCurve(data, budget), data);
    return result;
}

} // namespace qv7
