// Cohen-Sutherland clipping of one segment against a rectangle, in this order:
// region codes 1 = x < left, 2 = y < top, 4 = x > right, 8 = y > bottom (the edges are inside);
// each pass puts the outside end first and moves it onto the left, top, right and bottom edges
// its code named at the start of the pass, with a double slope rounded half to even.
#pragma once

#include <cstdint>

struct TClipRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;
};

struct TClipSegment {
    std::int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

namespace qv7 {

// The region code of a point.
int clipCode(const TClipRect& rect, std::int64_t x, std::int64_t y);

// Clips `segment` in place; true when a part of it is visible (then from (x1, y1) to (x2, y2),
// ends possibly swapped). A segment still outside after 16 passes (which rounding alone could
// cause) counts as invisible.
bool clipSegment(const TClipRect& rect, TClipSegment& segment);

} // namespace qv7
