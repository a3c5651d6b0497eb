// Choosing the points of a linearisation curve from measured pairs: the polyline of at most N points
// (vertices on the data, the first and last data points kept) whose largest absolute deviation from
// the data is the least. Pure functions without Qt, any thread; used by qv7ctl's lin-fit and the
// editor's measurements dialog.
#pragma once

#include <span>
#include <vector>

namespace qv7 {

// One measured pair or curve point: input X and output Y, percent of full scale.
struct FitPoint {
    double x = 0.0;
    double y = 0.0;
    friend bool operator==(const FitPoint&, const FitPoint&) = default;
};

// The point budgets the indicator's table allows.
inline constexpr int LinFitMinPoints = 2;
inline constexpr int LinFitMaxPoints = 32;
// Up to this many pairs the fit is exactly optimal; above, a greedy search of the bound is used.
inline constexpr int LinFitExactLimit = 2000;

// The largest absolute deviation of a curve from the data, and the input where it occurs (the first
// such data point). Outside the curve's X range its end segments are extended.
struct Deviation {
    double error = 0.0;
    double at = 0.0;
};

struct LinFitResult {
    std::vector<FitPoint> points; // X strictly rising, first and last = the data's ends
    Deviation deviation;          // of `points`
    Deviation evenDeviation;      // of the same number of evenly spread points (evenCurve)
};

// `data`: X strictly rising, at least two pairs. Returns the deviation of the polyline `curve`
// (at least two points, X rising) from `data`.
Deviation curveDeviation(std::span<const FitPoint> curve, std::span<const FitPoint> data);

// `budget` points spread evenly over the data's input range, each moved to the nearest pair (so a
// pair where two meet is taken once).
std::vector<FitPoint> evenCurve(std::span<const FitPoint> data, int budget);

struct LinFitOptions {
    // The points may leave the data: their outputs are then moved to share the deviation out (often
    // halving it where the data bends one way); their inputs stay those of pairs.
    bool offData = false;
    // With offData, the first and last points keep the data's outputs (zero and full scale).
    bool pinEnds = true;
    int exactLimit = LinFitExactLimit;
};

// The fitted curve of at most `budget` points (clamped to LinFitMinPoints ... LinFitMaxPoints) for
// `data` (X strictly rising, at least two pairs). Without offData, exactly optimal among polylines
// whose vertices are data points for up to `exactLimit` pairs (within a relative 1e-9); above it, the
// greedy bound. With offData, that curve's outputs moved; its deviation is never larger.
LinFitResult fitLinCurve(std::span<const FitPoint> data, int budget, const LinFitOptions& options = {});

// Whether some polyline of at most `budget` points, vertices on data points, first and last the
// data's ends, stays within `bound` of every pair. Exact; O(pairs × segment length).
bool fitsWithin(std::span<const FitPoint> data, int budget, double bound);

} // namespace qv7
