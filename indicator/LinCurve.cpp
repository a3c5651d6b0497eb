#include "indicator/LinCurve.h"

#include "base/Errors.h"

#include <QCoreApplication>

namespace qv7 {

namespace {
// A NaN compares false with both bounds, so it counts as outside.
bool inTableRange(float value) {
    return value >= LinTableLow && value <= LinTableHigh;
}
bool inTableRange(const TLinPoint& point) {
    return inTableRange(point.Abscissa) && inTableRange(point.Ordinate);
}

const char* const OutOfRangeText = QT_TRANSLATE_NOOP("LinCurve", "Point %1 : hors de -25 ... 125 %");
const char* const NotRisingText = QT_TRANSLATE_NOOP("LinCurve", "Point %1 : X ne croît pas");
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
        if (!inTableRange(point)) return std::nullopt;
        curve.push_back(linCurvePoint(point));
    }
    return curve;
}

int firstNonIncreasingPoint(std::span<const LinFilePoint> points) {
    for (std::size_t i = 1; i < points.size(); ++i)
        if (!(points[i].X > points[i - 1].X)) return static_cast<int>(i);
    return -1;
}

std::optional<LinSendFault> linSendFault(std::span<const LinFilePoint> points) {
    // The same test as the table read's, on the values the table would hold.
    for (std::size_t i = 0; i < points.size(); ++i)
        if (!inTableRange(linTablePoint(points[i].X, points[i].Y)))
            return LinSendFault{LinSendFault::Kind::OutOfRange, static_cast<int>(i)};
    if (const int point = firstNonIncreasingPoint(points); point >= 0)
        return LinSendFault{LinSendFault::Kind::NotRising, point};
    return std::nullopt;
}

QString linSendFaultText(const LinSendFault& fault) {
    const char* text = fault.kind == LinSendFault::Kind::OutOfRange ? OutOfRangeText : NotRisingText;
    return QCoreApplication::translate("LinCurve", text).arg(fault.point);
}

} // namespace qv7
