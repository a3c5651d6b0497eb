#include "lineditor/Clip.h"

#include "base/Errors.h"

#include <cmath>
#include <utility>

namespace qv7 {

int clipCode(const TClipRect& rect, std::int64_t x, std::int64_t y) {
    int code = 0;
    if (x < rect.Left) code |= 1;
    if (y < rect.Top) code |= 2;
    if (x > rect.Right) code |= 4;
    if (y > rect.Bottom) code |= 8;
    return code;
}

namespace {

// first + round((edge - from) * slope), the slope a double, halves to even; 32-bit result.
std::int32_t moved(std::int64_t first, std::int64_t edge, std::int64_t from, double slope) {
    const double step = std::nearbyint(static_cast<double>(edge - from) * slope);
    return checked<std::int32_t>(static_cast<double>(first) + step);
}

// The outside end moved along the segment onto the vertical edge x = edge; a vertical segment
// cannot reach it and stays as it is.
void toColumn(TClipSegment& s, std::int32_t edge) {
    if (s.x1 == s.x2) return;
    const double slope = static_cast<double>(std::int64_t{s.y2} - s.y1) / (std::int64_t{s.x2} - s.x1);
    s.y1 = moved(s.y1, edge, s.x1, slope);
    s.x1 = edge;
}

// The same onto the horizontal edge y = edge.
void toRow(TClipSegment& s, std::int32_t edge) {
    if (s.y1 == s.y2) return;
    const double slope = static_cast<double>(std::int64_t{s.x2} - s.x1) / (std::int64_t{s.y2} - s.y1);
    s.x1 = moved(s.x1, edge, s.y1, slope);
    s.y1 = edge;
}

} // namespace

bool clipSegment(const TClipRect& rect, TClipSegment& s) {
    int c1 = clipCode(rect, s.x1, s.y1);
    int c2 = clipCode(rect, s.x2, s.y2);
    for (int pass = 0; pass < 16; ++pass) {
        if ((c1 | c2) == 0) return true;
        if ((c1 & c2) != 0) return false;
        if (c1 == 0) {
            std::swap(s.x1, s.x2);
            std::swap(s.y1, s.y2);
            std::swap(c1, c2);
        }
        const int code = c1; // the bits as they were at the start of the pass
        if (code & 1) toColumn(s, rect.Left);
        if (code & 2) toRow(s, rect.Top);
        if (code & 4) toColumn(s, rect.Right);
        if (code & 8) toRow(s, rect.Bottom);
        c1 = clipCode(rect, s.x1, s.y1);
    }
    return false;
}

} // namespace qv7
