#include "base/Numbers.h"

#include "base/Errors.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace qv7 {

namespace {
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}
} // namespace

std::optional<double> parseNumber(std::string_view text, char decimalSeparator) {
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && isBlank(text[i]))
        ++i;
    std::string canonical;
    if (i < n && (text[i] == '+' || text[i] == '-')) canonical += text[i++];
    size_t digits = 0;
    while (i < n && isDigit(text[i]))
        canonical += text[i++], ++digits;
    if (i < n && text[i] == decimalSeparator) {
        canonical += '.';
        ++i;
        while (i < n && isDigit(text[i]))
            canonical += text[i++], ++digits;
    }
    if (digits == 0) return std::nullopt;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        canonical += 'e';
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) canonical += text[i++];
        size_t expDigits = 0;
        while (i < n && isDigit(text[i]))
            canonical += text[i++], ++expDigits;
        if (expDigits == 0) return std::nullopt;
    }
    while (i < n && isBlank(text[i]))
        ++i;
    if (i != n) return std::nullopt;
    const double value = std::strtod(canonical.c_str(), nullptr);
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

std::int64_t roundHalfEven(double value) {
    if (!std::isfinite(value) || value >= 9.2233720368547758e18 || value < -9.2233720368547758e18)
        throw ERangeError();
    return static_cast<std::int64_t>(std::nearbyint(value)); // default rounding mode: to nearest even
}

std::string formatPattern(double value, std::string_view pattern, char decimalSeparator) {
    const size_t point = pattern.find('.');
    const int decimals = point == std::string_view::npos ? 0 : static_cast<int>(pattern.size() - point - 1);
    const double scale = std::pow(10.0, decimals);
    // Round half away from zero on the scaled value, as the patterns of the original tool do.
    double scaled = std::round(value * scale);
    if (scaled == 0.0) scaled = 0.0; // no "-0.00"
    // Sized to the text: a large value has hundreds of digits, and infinity or NaN has no point.
    const int length = std::snprintf(nullptr, 0, "%.*f", decimals, scaled / scale);
    std::string text(static_cast<size_t>(std::max(length, 0)), '\0');
    std::snprintf(text.data(), text.size() + 1, "%.*f", decimals, scaled / scale);
    const size_t dot = text.find('.');
    if (dot != std::string::npos) text[dot] = decimalSeparator;
    return text;
}

} // namespace qv7
