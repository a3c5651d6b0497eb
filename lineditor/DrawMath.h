// The rounding and storing rules of the plot control's arithmetic (module Draw, internal).
#pragma once

#include "base/Errors.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

namespace qv7::draw {

// round(): halves to even on the extended value; the result must fit 32 bits.
inline std::int32_t roundPixel(long double value) {
    if (!std::isfinite(value)) throw ERangeError();
    const long double rounded = std::nearbyintl(value); // default rounding mode: halves to even
    if (rounded < std::numeric_limits<std::int32_t>::min() ||
        rounded > std::numeric_limits<std::int32_t>::max())
        throw ERangeError();
    return static_cast<std::int32_t>(rounded);
}

// An extended value stored in a single; beyond the single range it does not fit its field.
inline float single(long double value) {
    if (std::isnan(value) || value < -static_cast<long double>(FLT_MAX) ||
        value > static_cast<long double>(FLT_MAX))
        throw ERangeError();
    return static_cast<float>(value);
}

} // namespace qv7::draw
