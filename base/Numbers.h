// Number texts of the windows: parsing typed numbers with a given decimal separator, rounding
// halves to even, and the fixed formatting patterns ("##0.0", "#0.00", "##0.00").
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qv7 {

// Parses blanks, an optional sign, digits, the separator, digits, an optional exponent, blanks.
// Returns nothing when the text is not a number in that form.
std::optional<double> parseNumber(std::string_view text, char decimalSeparator);

// The same where ',' and '.' are both read as the decimal point: what the user types into a grid
// or a page means one number whichever separator the windows happen to show.
std::optional<double> parseNumberEitherPoint(std::string_view text);

// The windows' rule: a text that is not a number counts as 0.
inline double numberOrZero(std::string_view text, char decimalSeparator) {
    return parseNumber(text, decimalSeparator).value_or(0.0);
}

// Nearest integer, halves to even. Raises ERangeError when the result leaves the 64-bit range.
std::int64_t roundHalfEven(double value);

// Formats with a pattern of '#' and '0' digit places and one '.' (e.g. "##0.00"): the number of
// '0' and '#' after the point fixes the decimals; halves round away from zero.
std::string formatPattern(double value, std::string_view pattern, char decimalSeparator);

} // namespace qv7
