// The master over a frame link that is no HID bridge: each request reaches the link as exactly its
// RTU frame, and a frame the link hands back is booked. Expected bytes are written out, their CRCs
// computed apart from the code under test.
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
    Bytes frame, reply;
    std::vector<Arrival> arrivals;
    int blockWrites;
};

constexpr auto Holding = TDataType::dtHoldingRegister;
const std::array<std::uint16_t, 18> Block = [] {
    std::array<std::uint16_t, 18> values{};
    values[16] = 0x1234;
    values[17] = 0x0056;
    return values;
}();

class MasterOverLink : public testing::TestWithParam<OverLinkCase> {};

} // namespace

TEST_P(MasterOverLink, sends_the_frame_and_books_the_answer_the_link_hands_back) {
    const OverLinkCase& c = GetParam();
    FakeLink link;
    std::vector<Arrival> arrivals;
    int blockWrites = 0;
    {
        TMiniModbusMaster master(link);
        master.Node = 255;
        master.OnDataArrival = [&](TComponent*, TDataType t, std::int32_t a, std::int32_t d) {
            arrivals.push_back({t, a, d});
        };
        master.OnWordBlockWriting = [&](TComponent*) { ++blockWrites; };
        c.request(master);
        EXPECT_TRUE(link.receiver->answerAwaited());
        link.deliver(c.reply);
        EXPECT_FALSE(link.receiver->answerAwaited());
    }
    EXPECT_EQ(link.sent, std::vector<Bytes>{c.frame});
    EXPECT_EQ(arrivals, c.arrivals);
    EXPECT_EQ(blockWrites, c.blockWrites);
    EXPECT_EQ(link.receiver, nullptr) << "a master that goes leaves the link";
}

INSTANTIATE_TEST_SUITE_P(
    Modbus, MasterOverLink,
    testing::Values(OverLinkCase{"read_holding_registers",
                                 [](TMiniModbusMaster& m) { m.ReadHoldingRegisters(16, 2); },
                                 Bytes{0xFF, 0x03, 0x00, 0x10, 0x00, 0x02, 0xD0, 0x10},
                                 Bytes{0xFF, 0x03, 0x04, 0x12, 0x34, 0x56, 0x78, 0x9E, 0xC8},
                                 {{Holding, 16, 0x1234}, {Holding, 17, 0x5678}},
                                 0},
                    OverLinkCase{
                        "write_multiple_registers_low_byte_first",
                        [](TMiniModbusMaster& m) { m.WriteMultipleRegisters(16, 2, Block); },
                        Bytes{0xFF, 0x10, 0x00, 0x10, 0x00, 0x02, 0x04, 0x34, 0x12, 0x56, 0x00, 0x54, 0xDD},
                        Bytes{0xFF, 0x10, 0x00, 0x10, 0x00, 0x02, 0x55, 0xD3},
                        {},
                        1}),
    [](const auto& info) { return std::string(info.param.name); });
