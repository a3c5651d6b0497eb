#include "base/Errors.h"
#include "base/Numbers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <limits>
#include <string>

using namespace qv7;

struct ParseCase {
    const char* text;
    char separator;
    std::optional<double> expected;
};

class ParseNumber : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseNumber, reads_the_windows_number_forms) {
    const auto& c = GetParam();
    const auto got = parseNumber(c.text, c.separator);
    ASSERT_EQ(got.has_value(), c.expected.has_value()) << c.text;
    if (got) {
        EXPECT_DOUBLE_EQ(*got, *c.expected) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ParseNumber,
                         testing::Values(ParseCase{"0,25", ',', 0.25}, ParseCase{"0.25", '.', 0.25},
                                         ParseCase{"0.25", ',', std::nullopt}, // wrong separator
                                         ParseCase{"  -12 ", '.', -12.0}, ParseCase{"+3", '.', 3.0},
                                         ParseCase{"1,5e2", ',', 150.0}, ParseCase{"1e", '.', std::nullopt},
                                         ParseCase{",5", ',', 0.5}, ParseCase{"5,", ',', 5.0},
                                         ParseCase{"", ',', std::nullopt}, ParseCase{"-", ',', std::nullopt},
                                         ParseCase{"12a", ',', std::nullopt},
                                         ParseCase{"1e999", '.', std::nullopt}));

TEST(Numbers, text_that_is_not_a_number_counts_as_zero) {
    EXPECT_EQ(numberOrZero("abc", ','), 0.0);
    EXPECT_EQ(numberOrZero("2,5", ','), 2.5);
}

TEST(Numbers, rounding_takes_halves_to_even) {
    EXPECT_EQ(roundHalfEven(0.5), 0);
    EXPECT_EQ(roundHalfEven(1.5), 2);
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(2.6), 3);
    EXPECT_EQ(roundHalfEven(255.0), 255);
    EXPECT_THROW(roundHalfEven(1e30), ERangeError);
}

TEST(Numbers, patterns_fix_the_decimals_and_the_separator) {
    EXPECT_EQ(formatPattern(1.5, "#0.00", ','), "1,50");
    EXPECT_EQ(formatPattern(25.5, "##0.0", ','), "25,5");
    EXPECT_EQ(formatPattern(0.0, "##0.00", '.'), "0.00");
    EXPECT_EQ(formatPattern(-0.001, "##0.00", '.'), "0.00");
    EXPECT_EQ(formatPattern(99.994, "#0.00", '.'), "99.99");
    EXPECT_EQ(formatPattern(-12.345, "##0.00", ','), "-12,35");
}

TEST(Numbers, patterns_keep_values_beyond_the_usual_range_whole) {
    const std::string huge = formatPattern(1e300, "##0.00", ',');
    EXPECT_EQ(huge.size(), 304u);
    EXPECT_EQ(huge.substr(0, 2), "10");
    EXPECT_EQ(huge.substr(huge.size() - 3), ",00");
    EXPECT_EQ(formatPattern(std::numeric_limits<double>::infinity(), "##0.0", ','), "inf");
    EXPECT_EQ(formatPattern(-std::numeric_limits<double>::infinity(), "#0.00", ','), "-inf");
}

// A Qt program takes its locale from the environment; under a locale whose decimal point is ','
// the C library would read "1.5" as 1 and write 1.5 as "1,50".
TEST(Numbers, the_process_locale_changes_neither_reading_nor_writing) {
    const char* commaLocales[] = {"fr_FR.UTF-8", "fr_FR.utf8", "de_DE.UTF-8", "de_DE.utf8", "fr_FR"};
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    const char* found = nullptr;
    for (const char* name : commaLocales)
        if (std::setlocale(LC_NUMERIC, name) != nullptr && *std::localeconv()->decimal_point == ',') {
            found = name;
            break;
        }
    if (found == nullptr) {
        std::setlocale(LC_NUMERIC, before.c_str());
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    }
    EXPECT_EQ(parseNumber("1.5", '.'), 1.5) << found;
    EXPECT_EQ(parseNumber("-2,25e1", ','), -22.5) << found;
    EXPECT_EQ(formatPattern(1.5, "##0.00", '.'), "1.50") << found;
    EXPECT_EQ(formatPattern(-12.5, "#0.0", ','), "-12,5") << found;
    std::setlocale(LC_NUMERIC, before.c_str());
}
