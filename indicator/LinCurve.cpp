#include "indicator/LinCurve.h"

#include "base/Errors.h"

namespace qv7 {

namespace {
// A NaN compares false with both bounds, so it counts as outside.
bool inTableRange(float value) {
    return value >= LinTableLow && value <= LinTableHigh;
}
} // namespace

TLinPoint linTablePoint(float x, float y) {
    return {static_cast<float>(static_cast<double>(y) / 100),
            static_cast<float>(static_cast<double>(x) / 100)};
}

LinFilePoint linCurvePoint(const TLinPoint& point) {
    return {static_cast<float>(static_cast<double>(point.Abscissa) * 100),
            static_cast<float>(static_cast<double>(point.Ordinate) * 100)};
}

std::optional<std::vector<LinFilePoint>> linCurveFromTable(const TLinTable& table, int lastPoint) {
    checkedRange(lastPoint, 0, LinTablePoints - 1);
    std::vector<LinFilePoint> curve;
    for (int i = 0; i <= lastPoint; ++i) {
        const TLinPoint& point = table[static_cast<std::size_t>(i)];
        if (!inTableRange(point.Abscissa) || !inTableRange(point.Ordinate)) return std::nullopt;
        curve.push_back(linCurvePoint(point));
    }
    return curve;
}

int firstNonIncreasingPoint(std::span<const LinFilePoint> points) {
    for (std::size_t i = 1; i < points.size(); ++i)
        if (!(points[i].X > points[i - 1].X)) return static_cast<int>(i);
    return -1;
}

} // namespace qv7
