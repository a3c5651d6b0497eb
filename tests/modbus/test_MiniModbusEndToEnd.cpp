// The master through the simulated bridge to the simulated indicator at node 255: what the indicator
// stores and what the master reports must agree both ways.
#include "ModbusTestSupport.h"
#include "sim/SimulatedIndicator.h"

#include <gtest/gtest.h>

using namespace modbustest;

namespace {

class MasterToIndicator : public testing::Test {
protected:
    static void SetUpTestSuite() {
        indicator = new qv7::SimulatedIndicator;
        link = new OpenedMaster(indicator);
    }
    static void TearDownTestSuite() {
        delete link;
        delete indicator;
        link = nullptr;
        indicator = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(link->opened);
        link->recorder.reset();
    }
    static TMiniModbusMaster& m() { return link->master; }
    // Each request gets one reply; waiting for it to be handled (not for its events) keeps the
    // tail of one test from landing in the next.
    static bool replyHandled() { return link->recorder.afterFrames(1).handled == 1; }

    static inline qv7::SimulatedIndicator* indicator = nullptr;
    static inline OpenedMaster* link = nullptr;
};

TEST_F(MasterToIndicator, reading_twelve_holding_registers_raises_twelve_events_in_order) {
    for (int i = 0; i < 12; ++i)
        indicator->setHolding(i, static_cast<std::uint16_t>(0x1100 + 17 * i));
    m().ReadHoldingRegisters(0, 12);
    ASSERT_TRUE(replyHandled());
    const Record r = link->recorder.snapshot();
    ASSERT_EQ(r.arrivals.size(), 12u);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(r.arrivals[i], (Arrival{TDataType::dtHoldingRegister, i, indicator->holding(i)}));
        EXPECT_EQ(m().HoldingRegisters[i], indicator->holding(i));
    }
}

TEST_F(MasterToIndicator, reading_the_type_word_from_input_register_0) {
    m().ReadInputRegisters(0, 1);
    ASSERT_TRUE(replyHandled());
    EXPECT_EQ(link->recorder.snapshot().arrivals.at(0),
              (Arrival{TDataType::dtInputRegister, 0, qv7::SimulatedIndicator::DefaultTypeWord}));
}

TEST_F(MasterToIndicator, a_block_written_with_function_16_reads_back_identical) {
    std::uint16_t written[12];
    for (int i = 0; i < 12; ++i) {
        written[i] = static_cast<std::uint16_t>(0xA001 + 0x0102 * i);
        m().HoldingRegisters[16 + i] = written[i];
    }
    m().WriteMultipleRegisters(16, 12, m().HoldingRegisters);
    ASSERT_TRUE(replyHandled());
    EXPECT_EQ(link->recorder.snapshot().blockWrites, 1);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(indicator->holding(16 + i), written[i]) << "register " << 16 + i;

    for (int i = 0; i < 12; ++i)
        m().HoldingRegisters[16 + i] = 0;
    link->recorder.reset();
    m().ReadHoldingRegisters(16, 12);
    ASSERT_TRUE(replyHandled());
    const Record r = link->recorder.snapshot();
    EXPECT_EQ(r.blockWrites, 0);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(r.arrivals.at(i), (Arrival{TDataType::dtHoldingRegister, 16 + i, written[i]}));
        EXPECT_EQ(m().HoldingRegisters[16 + i], written[i]);
    }
}

TEST_F(MasterToIndicator, writing_register_1000_is_echoed_and_stored_on_both_sides) {
    indicator->setHolding(1000, 0);
    m().WriteSingleRegister(1000, 1);
    ASSERT_TRUE(replyHandled());
    EXPECT_EQ(link->recorder.snapshot().arrivals,
              (std::vector<Arrival>{{TDataType::dtHoldingRegister, 1000, 1}}));
    EXPECT_EQ(indicator->holding(1000), 1);
    EXPECT_EQ(m().HoldingRegisters[1000], 1);
    EXPECT_EQ(m().PendingFunction, -1);
}

} // namespace
