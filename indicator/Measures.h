// Measured pairs for the curve fitter: a two-column text table (CSV or TAB separated) and the
// built-in shapes of common installations, sampled finely. Pure functions without Qt, any thread.
#pragma once

#include "indicator/LinFit.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv7 {

// The values the indicator's table can hold, percent of full scale (bounds included).
inline constexpr double MeasureLow = -25.0;
inline constexpr double MeasureHigh = 125.0;
// The most pairs a table may bring.
inline constexpr int MeasureMaxPairs = 100000;

// Why a table is refused; `line` (from 1) is where, 0 for the whole text.
struct MeasureError {
    enum class Kind {
        NotANumber,    // `text`: the field that does not convert
        Columns,       // not two columns
        OutOfRange,    // `text`: the value outside MeasureLow ... MeasureHigh
        Contradiction, // the same input as `otherLine` with another output
        TooFewPairs,   // fewer than two distinct inputs
        TooManyPairs,  // more than MeasureMaxPairs pairs, counted at `line`
    };
    Kind kind = Kind::NotANumber;
    int line = 0;
    int otherLine = 0;
    std::string text;
};

struct MeasureReadResult {
    std::vector<FitPoint> pairs; // sorted by input, inputs distinct; empty when refused
    std::optional<MeasureError> error;
    bool ok() const { return !error.has_value(); }
};

// Reads a table of (input, output) pairs: ',', ';' or TAB between the two columns (the first of TAB,
// ';' that a line holds, else ','); decimal '.', or ',' where the separator is ';' or TAB; empty lines
// and lines starting with '#' skipped; a first line where no field is a number is a header. Rows in
// any order; the same pair twice counts once. Never raises.
MeasureReadResult parseMeasurements(std::string_view text);

enum class LinShape {
    SquareRoot,         // flow against differential pressure; 0 below the cut-off
    HorizontalCylinder, // volume of a horizontal cylindrical tank against its level
    Sphere,             // volume of a spherical tank against its level
};

// "sqrt", "hcyl", "sphere".
std::optional<LinShape> linShapeNamed(std::string_view name);

// `samples` (at least 2) pairs evenly spread over 0 ... 100 % of the input. `cutoff` (percent of the
// input) only matters for SquareRoot.
std::vector<FitPoint> shapeSamples(LinShape shape, int samples, double cutoff = 0.0);

} // namespace qv7
