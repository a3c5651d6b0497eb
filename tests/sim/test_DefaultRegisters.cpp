// The simulated indicator's registers as a freshly configured indicator has them, written out by
// hand: they come from the parameter table's defaults.
#include "sim/SimulatedIndicator.h"

#include <gtest/gtest.h>

using namespace qv7;

namespace {

struct DefaultsRow {
    std::uint16_t typeWord;
    std::uint16_t inputConfig, fullScale;
};
class Defaults : public ::testing::TestWithParam<DefaultsRow> {};

TEST_P(Defaults, are_a_configured_indicators) {
    const auto r = SimulatedIndicator::defaultRegisters(GetParam().typeWord);
    const std::map<int, std::uint16_t> expected = {
        {0, GetParam().inputConfig},
        {1, 1},
        {2, 0x0101},
        {3, 150},
        {4, GetParam().fullScale},
        {5, 0},
        {6, 2},
        {7, GetParam().fullScale},
        {8, 0},
        {9, 1},
        {10, 0x0103},
        {11, 1},
        // Thresholds, hystereses, delay + flags of the four alarms.
        {16, 5000},
        {17, 50},
        {18, 0x000A},
        {19, 7500},
        {20, 75},
        {21, 0x0114},
        {22, 2500},
        {23, 25},
        {24, 0x101E},
        {25, 9000},
        {26, 90},
        {27, 0x1128}};
    for (const auto& [address, value] : expected) {
        ASSERT_TRUE(r.count(address)) << address;
        EXPECT_EQ(r.at(address), value) << "register " << address;
    }
    for (int address : {12, 13, 14, 15})
        EXPECT_EQ(r.count(address), 0u) << address;
    // The table: points 0 and 1 at 0.0 and 1.0 (float 1.0 is 3F80 0000, low word first), the rest 0.
    EXPECT_EQ(r.at(36), 0x0000);
    EXPECT_EQ(r.at(37), 0x3F80);
    EXPECT_EQ(r.at(39), 0x3F80);
    EXPECT_EQ(r.at(41), 0x0000);
    EXPECT_EQ(r.size(), 24u + 128u);
}

INSTANTIATE_TEST_SUITE_P(TypeWords, Defaults,
                         ::testing::Values(DefaultsRow{0x4053, 0, 10000}, DefaultsRow{0x4057, 0, 9999},
                                           DefaultsRow{0x0211, 1, 10000}, DefaultsRow{0x0811, 3, 10000}));

} // namespace
