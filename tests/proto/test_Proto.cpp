// The protocol core against the indicator's documented numbers: the transfer plan's requests and
// answers, the parameter blocks the rows make, the bridge's port formats, the request frames.
#include "proto/ParamTable.h"
#include "proto/PortFormats.h"
#include "proto/Rtu.h"
#include "proto/TransferPlan.h"

#include <gtest/gtest.h>

#include <vector>

using namespace qv7;

namespace {

struct PlanRow {
    std::int32_t step;
    int function, start, count;
    std::int32_t next;
};

class PlanSteps : public ::testing::TestWithParam<PlanRow> {};

TEST_P(PlanSteps, send_the_documented_request_and_lead_on) {
    const PlanRow& row = GetParam();
    const PlanStep* step = planStep(row.step);
    ASSERT_NE(step, nullptr);
    EXPECT_EQ(step->request.function(), row.function);
    EXPECT_EQ(step->request.start, row.start);
    EXPECT_EQ(step->request.count, row.count);
    EXPECT_EQ(step->next, row.next);
}

INSTANTIATE_TEST_SUITE_P(Plan, PlanSteps,
                         ::testing::Values(PlanRow{1, 4, 0, 1, 2}, PlanRow{2, 3, 0, 12, 3},
                                           PlanRow{3, 3, 16, 12, 50}, PlanRow{10, 3, 32, 16, 11},
                                           PlanRow{17, 3, 144, 16, -1}, PlanRow{60, 4, 1, 3, -1},
                                           PlanRow{101, 16, 0, 12, 102}, PlanRow{102, 16, 16, 12, 0},
                                           PlanRow{110, 16, 32, 16, 111}, PlanRow{117, 16, 144, 16, 118},
                                           PlanRow{118, 16, 2, 1, 0}));

TEST(Plan, steps_that_send_nothing_have_no_request) {
    for (std::int32_t step : {-1, 0, 4, 18, 50, 100, 119})
        EXPECT_EQ(planStep(step), nullptr) << step;
}

TEST(Plan, counts_the_answers_of_each_transfer) {
    EXPECT_EQ(repliesOf(Transfer::ReadAll), 3);
    EXPECT_EQ(repliesOf(Transfer::WriteAll), 2);
    EXPECT_EQ(repliesOf(Transfer::ReadTable), 8);
    EXPECT_EQ(repliesOf(Transfer::WriteTable), 9);
    EXPECT_EQ(firstStep(Transfer::WriteTable), 110);
    EXPECT_TRUE(stepOf(Transfer::WriteAll, 102));
    EXPECT_FALSE(stepOf(Transfer::WriteAll, 110));
}

TEST(Plan, names_requests_in_qv7ctl_words) {
    EXPECT_EQ(requestWords(*requestOfStep(102)).registers, "holding registers 16\u201327");
    EXPECT_STREQ(requestWords(*requestOfStep(102)).verb, "write");
    EXPECT_EQ(requestWords(*requestOfStep(1)).registers, "input register 0");
}

TEST(Blocks, run_from_their_start_to_the_last_register_a_row_travels_in) {
    const auto& blocks = parameterBlocks();
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].start, 0);
    EXPECT_EQ(blocks[0].count, 12);
    EXPECT_EQ(blocks[1].start, 16);
    EXPECT_EQ(blocks[1].count, 12);
}

struct FormatRow {
    std::uint8_t code;
    int baud, bits;
};
class PortFormatLines : public ::testing::TestWithParam<FormatRow> {};

TEST_P(PortFormatLines, set_the_bridges_line) {
    const LineFormat line = lineFormatOf(GetParam().code);
    EXPECT_EQ(line.baud, GetParam().baud);
    EXPECT_EQ(line.bitsPerCharacter, GetParam().bits);
}

INSTANTIATE_TEST_SUITE_P(Formats, PortFormatLines,
                         ::testing::Values(FormatRow{0, 9600, 11}, FormatRow{1, 9600, 11},
                                           FormatRow{2, 19200, 11}, FormatRow{3, 38400, 11},
                                           FormatRow{9, 9600, 11}));

TEST(Requests, encode_as_the_indicator_takes_them) {
    // Read holding registers 0-11 of slave 255, CRC 50 11 as a capture shows it.
    EXPECT_EQ(encodeRequest(255, 3, 0, 12),
              (std::vector<std::uint8_t>{0xFF, 0x03, 0x00, 0x00, 0x00, 0x0C, 0x50, 0x11}));
    // Block data low byte first.
    const std::vector<std::uint16_t> values{0x0000, 0x0000, 0x1F01};
    const auto frame = encodeWriteMultiple(255, 2, 1, values);
    ASSERT_EQ(frame.size(), 11u);
    EXPECT_EQ(frame[7], 0x01);
    EXPECT_EQ(frame[8], 0x1F);
    EXPECT_EQ(requestLength(frame).length, 11u);
    EXPECT_EQ(requestLength(std::vector<std::uint8_t>{0xFF, 0x10, 0, 2, 0, 1}).framing, Framing::NeedMore);
}

} // namespace
