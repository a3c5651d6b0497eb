// The report-descriptor parser: report lengths of real-looking descriptors, and malformed input
// that must give no result rather than a crash.
#include "link/ReportDescriptor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using qv7::parseReportDescriptor;
using Bytes = std::vector<std::uint8_t>;

namespace {

// A vendor-defined device with one unnumbered 64-byte input and one 64-byte output report.
const Bytes kVendor64 = {
    0x06, 0x00, 0xFF, // Usage Page (vendor 0xFF00)
    0x09, 0x01,       // Usage 1
    0xA1, 0x01,       // Collection (application)
    0x09, 0x01,       //   Usage 1
    0x15, 0x00,       //   Logical Minimum 0
    0x26, 0xFF, 0x00, //   Logical Maximum 255
    0x75, 0x08,       //   Report Size 8
    0x95, 0x40,       //   Report Count 64
    0x81, 0x02,       //   Input (data, variable, absolute)
    0x09, 0x01,       //   Usage 1
    0x95, 0x40,       //   Report Count 64
    0x91, 0x02,       //   Output (data, variable, absolute)
    0xC0,             // End Collection
};

struct DescriptorCase {
    const char* name;
    Bytes bytes;
    bool parses;
    int input;
    int output;
    bool numbered;
};

class Descriptors : public ::testing::TestWithParam<DescriptorCase> {};

Bytes with(Bytes base, const Bytes& extra) {
    base.insert(base.end(), extra.begin(), extra.end());
    return base;
}

std::vector<DescriptorCase> cases() {
    return {
        {"vendor_64_by_64", kVendor64, true, 65, 65, false},
        {"empty_descriptor_has_no_reports", {}, true, 0, 0, false},
        {"bits_round_up_to_bytes", {0x75, 0x01, 0x95, 0x03, 0x81, 0x02}, true, 2, 0, false},
        {"input_items_of_one_report_add_up",
         {0x75, 0x08, 0x95, 0x02, 0x81, 0x02, 0x75, 0x04, 0x95, 0x02, 0x81, 0x02},
         true,
         4,
         0,
         false},
        {"longest_numbered_report_wins",
         {0x85, 0x01, 0x75, 0x08, 0x95, 0x04, 0x81, 0x02, 0x85, 0x02, 0x95, 0x10, 0x81, 0x02, 0x91, 0x02},
         true,
         17,
         17,
         true},
        {"pop_restores_the_pushed_globals",
         {0x75, 0x08, 0x95, 0x02, 0xA4, 0x75, 0x10, 0x95, 0x04, 0xB4, 0x81, 0x02},
         true,
         3,
         0,
         false},
        {"pop_without_push_is_ignored", {0xB4, 0x75, 0x08, 0x95, 0x01, 0x91, 0x02}, true, 0, 2, false},
        {"feature_reports_are_not_counted", {0x75, 0x08, 0x95, 0x08, 0xB1, 0x02}, true, 0, 0, false},
        {"long_item_is_skipped", with({0xFE, 0x02, 0x10, 0x81, 0x02}, {0x75, 0x08, 0x95, 0x01, 0x81, 0x02}),
         true, 2, 0, false},
        {"four_byte_data_is_read",
         {0x77, 0x08, 0x00, 0x00, 0x00, 0x97, 0x01, 0x00, 0x00, 0x00, 0x81, 0x02},
         true,
         2,
         0,
         false},
        {"huge_sizes_do_not_overflow",
         {0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0x97, 0xFF, 0xFF, 0xFF, 0xFF, 0x81, 0x02},
         true,
         536870912,
         0,
         false},
        {"truncated_short_item", {0x75, 0x08, 0x26, 0xFF}, false, 0, 0, false},
        {"truncated_long_item_header", {0xFE, 0x05}, false, 0, 0, false},
        {"truncated_long_item_data", {0xFE, 0x05, 0x00, 0x01, 0x02}, false, 0, 0, false},
        {"truncated_vendor_descriptor", Bytes(kVendor64.begin(), kVendor64.begin() + 13), false, 0, 0, false},
    };
}

} // namespace

TEST_P(Descriptors, give_the_longest_report_of_each_kind) {
    const DescriptorCase& c = GetParam();
    const auto info = parseReportDescriptor(c.bytes.data(), c.bytes.size());
    ASSERT_EQ(info.has_value(), c.parses);
    if (!info) return;
    EXPECT_EQ(info->inputLength, c.input);
    EXPECT_EQ(info->outputLength, c.output);
    EXPECT_EQ(info->numbered, c.numbered);
}

INSTANTIATE_TEST_SUITE_P(Link, Descriptors, ::testing::ValuesIn(cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DescriptorLimits, deep_push_nesting_is_bounded) {
    const Bytes input = {0x75, 0x08, 0x95, 0x01, 0x81, 0x02};
    Bytes bytes(20000 + input.size(), 0xB4); // as many Pops as Pushes, after the input item
    std::fill_n(bytes.begin(), 10000, 0xA4); // Push, over and over
    std::copy(input.begin(), input.end(), bytes.begin() + 10000);
    const auto info = parseReportDescriptor(bytes.data(), bytes.size());
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->inputLength, 2);
}

TEST(DescriptorLimits, null_data_with_a_size_gives_no_result) {
    EXPECT_FALSE(parseReportDescriptor(nullptr, 4).has_value());
    EXPECT_TRUE(parseReportDescriptor(nullptr, 0).has_value());
}
