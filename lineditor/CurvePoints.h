// The curve's fixed arrays: 361 entries (indices 0..360) of world points or pixel points, each
// index checked. An index outside 0..360 raises the range error ("Erreur de vérification
// d'étendue") before anything is read or written. No allocation: the entries live in the object.
#pragma once

#include "base/Errors.h"

#include <array>
#include <cstdint>

namespace qv7 {

// Highest index of the curve arrays; the curve has at most 361 points.
inline constexpr int MaxPointIndex = 360;

} // namespace qv7

// A point of the curve in world units (percent of full scale), 32-bit IEEE singles.
struct TCurvePoint {
    float X = 0.0f;
    float Y = 0.0f;
    friend bool operator==(const TCurvePoint&, const TCurvePoint&) = default;
};

// A pixel position in the control: column x (to the right) and row y (downwards), 32-bit signed.
struct TPixelPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const TPixelPoint&, const TPixelPoint&) = default;
};

// array [0..360] of T with every index validated.
template <typename T> class TPointArray {
public:
    static constexpr int Count = qv7::MaxPointIndex + 1;

    T& operator[](std::int64_t index) { return items_[check(index)]; }
    const T& operator[](std::int64_t index) const { return items_[check(index)]; }

    // Whole-array copy (the undo copy takes and restores all 361 entries).
    friend bool operator==(const TPointArray&, const TPointArray&) = default;

private:
    static std::size_t check(std::int64_t index) {
        if (index < 0 || index > qv7::MaxPointIndex) throw qv7::ERangeError();
        return static_cast<std::size_t>(index);
    }
    std::array<T, Count> items_{};
};
