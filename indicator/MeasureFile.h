// Measured pairs read from a file, and a fitted curve as a .LIN file holds it. Used by qv7ctl's
// lin-fit and the editor's measurements dialog (their own thread; nothing shared).
#pragma once

#include "indicator/LinFile.h"
#include "indicator/Measures.h"

#include <QString>

#include <span>
#include <vector>

namespace qv7 {

// The largest measurements file read, in bytes (a 100 000-pair table is about 2 MB).
inline constexpr qint64 MeasureFileMaxBytes = 16 * 1024 * 1024;

// Reads and parses `path`. Raises EInOutError with the text-file message of the system's error when
// it cannot be opened or read, and the refusal of a file that is not a regular file or is larger than
// MeasureFileMaxBytes (nothing of it is read then).
MeasureReadResult loadMeasureFile(const QString& path);

// The curve's points as a .LIN file brings them back: each value rounded to the file's two
// decimals; a point whose rounded X does not rise above the one before is dropped (the last point
// stays, the one before it goes).
std::vector<LinFilePoint> asSavedInFile(std::span<const FitPoint> curve);

// The same points for the fitter.
std::vector<FitPoint> fitPointsOf(std::span<const LinFilePoint> points);

} // namespace qv7
