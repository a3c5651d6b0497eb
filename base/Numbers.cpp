#include "base/Numbers.h"

#include "base/Errors.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace qv7 {

namespace {
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// The C library's conversions follow the process locale, which a Qt program takes from the
// environment: under a French one strtod stops at '.'. Numbers here always use the C locale.
#ifdef _WIN32
double strtodC(const char* text) {
    static const _locale_t c = _create_locale(LC_ALL, "C");
    return _strtod_l(text, nullptr, c);
}
#else
double strtodC(const char* text) {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return strtod_l(text, nullptr, c);
}
#endif
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
    const double value = strtodC(canonical.c_str());
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
    // Room for the largest double's digits; infinity or NaN comes out as "inf" or "nan", with no
    // point. to_chars ignores the process locale, so the point is always '.'.
    char buffer[400];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, scaled / scale, std::chars_format::fixed, decimals);
    std::string text = ec == std::errc() ? std::string(buffer, end) : std::string();
    const size_t dot = text.find('.');
    if (dot != std::string::npos) text[dot] = decimalSeparator;
    return text;
}

std::optional<double> parseNumberEitherPoint(std::string_view text) {
    std::string canonical(text);
    std::replace(canonical.begin(), canonical.end(), ',', '.');
    return parseNumber(canonical, '.');
}

} // namespace qv7
