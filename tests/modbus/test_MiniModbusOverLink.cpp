// The master over a frame link that is no HID bridge: each request reaches the link as exactly its
// RTU frame, and a frame the link hands back is booked (or refused) as the answer. The expected bytes
// are written out, their CRCs computed apart from the code under test.
#include "ModbusTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>

using namespace modbustest;

namespace {

struct OverLinkCase {
    const char* name;
    std::function<void(TMiniModbusMaster&)> request;
    Bytes frame; // what the link must be given
    Bytes reply; // what the link hands back
    std::vector<Arrival> arrivals;
    int blockWrites;
    int exceptions; // frames refused as exception replies
};

std::vector<OverLinkCase> overLinkCases() {
    const auto holding = TDataType::dtHoldingRegister;
    return {
        {"read_holding_registers",
         [](TMiniModbusMaster& m) { m.ReadHoldingRegisters(16, 2); },
         {0xFF, 0x03, 0x00, 0x10, 0x00, 0x02, 0xD0, 0x10},
         {0xFF, 0x03, 0x04, 0x12, 0x34, 0x56, 0x78, 0x9E, 0xC8},
         {{holding, 16, 0x1234}, {holding, 17, 0x5678}},
         0,
         0},
        {"read_input_register",
         [](TMiniModbusMaster& m) { m.ReadInputRegisters(0, 1); },
         {0xFF, 0x04, 0x00, 0x00, 0x00, 0x01, 0x24, 0x14},
         {0xFF, 0x04, 0x02, 0x40, 0x53, 0xE1, 0x19},
         {{TDataType::dtInputRegister, 0, 0x4053}},
         0,
         0},
        {"write_single_register",
         [](TMiniModbusMaster& m) { m.WriteSingleRegister(1000, 1); },
         {0xFF, 0x06, 0x03, 0xE8, 0x00, 0x01, 0xDD, 0xA4},
         {0xFF, 0x06, 0x03, 0xE8, 0x00, 0x01, 0xDD, 0xA4},
         {{holding, 1000, 1}},
         0,
         0},
        {"write_multiple_registers_low_byte_first",
         [](TMiniModbusMaster& m) {
             std::array<std::uint16_t, 18> values{};
             values[16] = 0x1234;
             values[17] = 0x0056;
             m.WriteMultipleRegisters(16, 2, values);
         },
         {0xFF, 0x10, 0x00, 0x10, 0x00, 0x02, 0x04, 0x34, 0x12, 0x56, 0x00, 0x54, 0xDD},
         {0xFF, 0x10, 0x00, 0x10, 0x00, 0x02, 0x55, 0xD3},
         {},
         1,
         0},
        {"exception_reply_is_refused",
         [](TMiniModbusMaster& m) { m.ReadHoldingRegisters(16, 2); },
         {0xFF, 0x03, 0x00, 0x10, 0x00, 0x02, 0xD0, 0x10},
         {0xFF, 0x83, 0x02, 0xA1, 0x01},
         {},
         0,
         1},
    };
}

class MasterOverLink : public testing::TestWithParam<OverLinkCase> {};

} // namespace

TEST_P(MasterOverLink, sends_the_frame_and_books_the_answer_the_link_hands_back) {
    const OverLinkCase& c = GetParam();
    FakeLink link;
    TMiniModbusMaster master(link);
    master.Node = 255;
    std::vector<Arrival> arrivals;
    int blockWrites = 0;
    master.OnDataArrival = [&](TComponent*, TDataType t, std::int32_t a, std::int32_t d) {
        arrivals.push_back({t, a, d});
    };
    master.OnWordBlockWriting = [&](TComponent*) { ++blockWrites; };

    c.request(master);
    EXPECT_EQ(link.sent, std::vector<Bytes>{c.frame});
    EXPECT_TRUE(link.answerAwaited()) << "the link is told an answer is due";
    link.deliver(c.reply);
    EXPECT_EQ(arrivals, c.arrivals);
    EXPECT_EQ(blockWrites, c.blockWrites);
    EXPECT_EQ(master.Rejections[static_cast<std::size_t>(TRejectReason::Exception)].load(), c.exceptions);
    EXPECT_FALSE(link.answerAwaited());
    EXPECT_EQ(master.FramesReceived.load(), 1);
}

INSTANTIATE_TEST_SUITE_P(Modbus, MasterOverLink, testing::ValuesIn(overLinkCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MasterOverLinkLife, a_master_that_goes_leaves_the_link_without_a_receiver) {
    FakeLink link;
    {
        TMiniModbusMaster master(link);
        EXPECT_NE(link.receiver, nullptr);
    }
    EXPECT_EQ(link.receiver, nullptr);
    link.deliver({0xFF, 0x04, 0x02, 0x40, 0x53, 0xE1, 0x19}); // reaches no one, and nothing breaks
}
