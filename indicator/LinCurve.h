// The linearisation curve as the editor and the .LIN files hold it (percent of full scale) against
// the indicator's table (fractions of full scale): the scale between the two, the range check of a
// table read from the indicator and the checks before a table is written. Pure functions, any thread.
#pragma once

#include "indicator/LinFile.h"
#include "proto/ParamImage.h"

#include <QString>

#include <optional>
#include <span>
#include <vector>

namespace qv7 {

// Points of the indicator's table.
inline constexpr int LinTablePoints = 32;
// The values a table read from the indicator may hold (bounds included).
inline constexpr float LinTableLow = -0.25f;
inline constexpr float LinTableHigh = 1.25f;

// A table read from the indicator holds a value outside LinTableLow ... LinTableHigh.
inline constexpr char LinTableError[] = QT_TRANSLATE_NOOP("LinCurve", "Erreur dans la table");
// A curve longer than the table is not written.
inline constexpr char LinCurveTooLong[] =
    QT_TRANSLATE_NOOP("LinCurve", "Trop de segments pour l'appareil : 32 points au maximum");

// The table entry of a curve point: abscissa X / 100, ordinate Y / 100, as singles.
TLinPoint linTablePoint(float x, float y);
// The curve point of a table entry: X = abscissa × 100, Y = ordinate × 100, as singles.
LinFilePoint linCurvePoint(const TLinPoint& point);

// The curve of table points 0 ... lastPoint; nothing when one of their values lies outside
// LinTableLow ... LinTableHigh (a NaN included). Raises ERangeError when lastPoint is not 0 ... 31.
std::optional<std::vector<LinFilePoint>> linCurveFromTable(const TLinTable& table, int lastPoint);

// The index of the first point whose X is not above the X before it; -1 when X rises throughout.
int firstNonIncreasingPoint(std::span<const LinFilePoint> points);

// Why a curve is not sent to the indicator: what a read of the table would refuse (a value outside
// LinTableLow ... LinTableHigh) or what the indicator cannot interpolate (X not rising).
struct LinSendFault {
    enum class Kind { OutOfRange, NotRising } kind;
    int point; // from 0
};
// The first fault of `points` as the table would hold them; nothing when they may be sent.
std::optional<LinSendFault> linSendFault(std::span<const LinFilePoint> points);
// The fault in the user's words: "Point 3 : hors de -25 ... 125 %" / "Point 3 : X ne croît pas".
QString linSendFaultText(const LinSendFault& fault);

} // namespace qv7
