#include "indicator/Measures.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

namespace qv7 {

namespace {

struct Row {
    FitPoint pair;
    int line = 0;
};

std::string_view trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

char separatorOf(std::string_view line) {
    if (line.find('\t') != std::string_view::npos) return '\t';
    if (line.find(';') != std::string_view::npos) return ';';
    return ',';
}

// A field as a finite number; a decimal ',' is taken where it cannot be the separator.
std::optional<double> number(std::string_view field, char separator) {
    std::string text(trimmed(field));
    if (separator != ',') std::replace(text.begin(), text.end(), ',', '.');
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+' && end - begin > 1 && begin[1] != '-') ++begin;
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::general);
    if (ec != std::errc() || ptr != end || begin == end || !std::isfinite(value)) return std::nullopt;
    return value;
}

// The fields of a line; empty fields after the second are dropped (spreadsheets add them).
std::vector<std::string_view> fieldsOf(std::string_view line, char separator) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t at = line.find(separator, start);
        fields.push_back(
            line.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos) break;
        start = at + 1;
    }
    while (fields.size() > 2 && trimmed(fields.back()).empty())
        fields.pop_back();
    return fields;
}

// One data line into `rows`; the error when it is refused. `header`: no field converting is a header.
std::optional<MeasureError> readLine(std::string_view line, int lineNumber, bool header,
                                     std::vector<Row>& rows) {
    const char separator = separatorOf(line);
    const std::vector<std::string_view> fields = fieldsOf(line, separator);
    const std::optional<double> x = number(fields[0], separator);
    const std::optional<double> y = fields.size() > 1 ? number(fields[1], separator) : std::nullopt;
    if (header && !x && !y) return std::nullopt;
    if (fields.size() != 2)
        return MeasureError{MeasureError::Kind::Columns, lineNumber, 0, std::string(trimmed(line))};
    for (const auto& [value, field] : {std::pair{x, fields[0]}, std::pair{y, fields[1]}}) {
        if (!value)
            return MeasureError{MeasureError::Kind::NotANumber, lineNumber, 0, std::string(trimmed(field))};
        if (*value < MeasureLow || *value > MeasureHigh)
            return MeasureError{MeasureError::Kind::OutOfRange, lineNumber, 0, std::string(trimmed(field))};
    }
    rows.push_back({{*x, *y}, lineNumber});
    return std::nullopt;
}

// Sorted by input; the same pair twice kept once, the same input with two outputs refused.
MeasureReadResult sortedPairs(std::vector<Row> rows) {
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Row& a, const Row& b) { return a.pair.x < b.pair.x; });
    MeasureReadResult result;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i > 0 && rows[i].pair.x == rows[i - 1].pair.x) {
            if (rows[i].pair.y != rows[i - 1].pair.y) {
                const auto [first, second] = std::minmax(rows[i - 1].line, rows[i].line);
                return {{}, MeasureError{MeasureError::Kind::Contradiction, second, first, {}}};
            }
            continue;
        }
        result.pairs.push_back(rows[i].pair);
    }
    if (result.pairs.size() < 2) return {{}, MeasureError{MeasureError::Kind::TooFewPairs, 0, 0, {}}};
    return result;
}

} // namespace

MeasureReadResult parseMeasurements(std::string_view text) {
    std::vector<Row> rows;
    bool first = true;
    int lineNumber = 0;
    while (!text.empty()) {
        // A line ends at LF, CR LF or a lone CR.
        const std::size_t end = text.find_first_of("\r\n");
        const std::string_view line = trimmed(text.substr(0, end));
        const bool crlf = end != std::string_view::npos && text[end] == '\r' && end + 1 < text.size() &&
                          text[end + 1] == '\n';
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + (crlf ? 2 : 1));
        ++lineNumber;
        if (line.empty() || line.front() == '#') continue;
        if (auto error = readLine(line, lineNumber, first, rows)) return {{}, std::move(error)};
        first = false;
        if (rows.size() > static_cast<std::size_t>(MeasureMaxPairs))
            return {{}, MeasureError{MeasureError::Kind::TooManyPairs, lineNumber, 0, {}}};
    }
    return sortedPairs(std::move(rows));
}

std::optional<LinShape> linShapeNamed(std::string_view name) {
    if (name == "sqrt") return LinShape::SquareRoot;
    if (name == "hcyl") return LinShape::HorizontalCylinder;
    if (name == "sphere") return LinShape::Sphere;
    return std::nullopt;
}

std::vector<FitPoint> shapeSamples(LinShape shape, int samples, double cutoff) {
    std::vector<FitPoint> pairs;
    samples = std::max(samples, 2);
    for (int i = 0; i < samples; ++i) {
        const double h = static_cast<double>(i) / (samples - 1); // fraction of the input
        double v = 0.0;
        switch (shape) {
        case LinShape::SquareRoot:
            v = 100.0 * h < cutoff ? 0.0 : std::sqrt(h);
            break;
        case LinShape::HorizontalCylinder: {
            // The wetted segment of the circle: angle theta at the centre, area (theta - sin theta) / 2.
            const double theta = 2.0 * std::acos(std::clamp(1.0 - 2.0 * h, -1.0, 1.0));
            v = (theta - std::sin(theta)) / (2.0 * std::numbers::pi);
            break;
        }
        case LinShape::Sphere:
            v = h * h * (3.0 - 2.0 * h); // the spherical cap of height 2h over the whole sphere
            break;
        }
        pairs.push_back({100.0 * h, 100.0 * v});
    }
    return pairs;
}

} // namespace qv7
