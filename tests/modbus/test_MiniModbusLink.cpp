// The master through the real link on a simulated bridge, with a scripted peer on the serial line:
// the reports each request puts on the USB link, the decoding of literal replies, and the replies
// that must be dropped. Replies are decoded on the reader thread; tests wait on the recorder.
#include "ModbusTestSupport.h"

#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <string>

using namespace modbustest;

namespace {

class MasterOnLink : public testing::Test {
protected:
    static void SetUpTestSuite() {
        peer = new ScriptedPeer;
        link = new OpenedMaster(peer);
    }
    static void TearDownTestSuite() {
        delete link;
        delete peer;
        link = nullptr;
        peer = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(link->opened);
        MiniModbusTestHook::ForgetRequests(m());
        peer->reset();
        link->recorder.reset();
        link->sim.clearOutputReports(0);
        for (auto& r : m().HoldingRegisters)
            r = 0xBEEF;
        for (auto& r : m().InputRegisters)
            r = 0xBEEF;
        for (auto& c : m().Coils)
            c = false;
        for (auto& c : m().DiscreteInputs)
            c = false;
    }

    static TMiniModbusMaster& m() { return link->master; }

    // Sends the bytes as a raw frame, leaving the pending request as it is.
    static void transmit(const Bytes& frame) {
        m().TransmitFrame(frame.data(), static_cast<int>(frame.size()));
    }

    static Record afterFrames(int n) {
        Record r = link->recorder.afterFrames(n);
        EXPECT_EQ(r.handled, n);
        return r;
    }

    static inline ScriptedPeer* peer = nullptr;
    static inline OpenedMaster* link = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Requests on the USB link

Bytes portFormatReport(std::uint8_t flags) {
    Bytes report(65, 0);
    report[1] = 0x01;
    report[3] = flags;
    return report;
}

Bytes dataReport(const Bytes& frame) {
    Bytes report(65, 0);
    report[3] = static_cast<std::uint8_t>(frame.size() | (frame.size() < 60 ? 0x80 : 0));
    std::copy(frame.begin(), frame.end(), report.begin() + 5);
    return report;
}

struct RequestCase {
    const char* name;
    std::function<void(TMiniModbusMaster&)> send;
    Bytes frame;
    int function;
};
void PrintTo(const RequestCase& c, std::ostream* os) {
    *os << c.name;
}

class Requests : public MasterOnLink, public testing::WithParamInterface<RequestCase> {};

TEST_P(Requests, go_out_as_a_port_format_report_then_one_data_report) {
    const RequestCase& c = GetParam();
    c.send(m());
    ASSERT_TRUE(link->sim.waitForOutputReports(0, 2, Patience));
    EXPECT_EQ(link->sim.outputReports(0), (std::vector<Bytes>{portFormatReport(0x40), dataReport(c.frame)}));
    EXPECT_EQ(peer->received(), std::vector<Bytes>{c.frame});
    EXPECT_EQ(m().PendingFunction, c.function);
    EXPECT_EQ(link->recorder.snapshot().tx,
              std::vector<std::string>{TCustomMiniModbus::DebugText("TX : ", c.frame)});
}

INSTANTIATE_TEST_SUITE_P(EveryOperation, Requests,
                         testing::Values(RequestCase{"read_holding_registers",
                                                     [](auto& m) { m.ReadHoldingRegisters(0, 12); },
                                                     {0xFF, 0x03, 0x00, 0x00, 0x00, 0x0C, 0x50, 0x11},
                                                     3},
                                         RequestCase{"read_input_registers",
                                                     [](auto& m) { m.ReadInputRegisters(0, 1); },
                                                     {0xFF, 0x04, 0x00, 0x00, 0x00, 0x01, 0x24, 0x14},
                                                     4},
                                         RequestCase{"write_single_register",
                                                     [](auto& m) { m.WriteSingleRegister(1000, 1); },
                                                     {0xFF, 0x06, 0x03, 0xE8, 0x00, 0x01, 0xDD, 0xA4},
                                                     6},
                                         RequestCase{"write_multiple_registers_low_byte_first",
                                                     [](auto& m) {
                                                         m.HoldingRegisters[16] = 0x1234;
                                                         m.HoldingRegisters[17] = 0x0056;
                                                         m.WriteMultipleRegisters(16, 2, m.HoldingRegisters);
                                                     },
                                                     {0xFF, 0x10, 0x00, 0x10, 0x00, 0x02, 0x04, 0x34, 0x12,
                                                      0x56, 0x00, 0x54, 0xDD},
                                                     16},
                                         RequestCase{
                                             "fields_keep_their_low_16_bits",
                                             [](auto& m) { m.WriteSingleRegister(0x10005, 0x7FFF1234); },
                                             withCRC({0xFF, 0x06, 0x00, 0x05, 0x12, 0x34}), 6}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MasterOnLink, block_write_of_twelve_registers_carries_them_low_byte_first) {
    for (int i = 0; i < 12; ++i)
        m().HoldingRegisters[16 + i] = static_cast<std::uint16_t>(0x0101 * i + 0x10);
    m().WriteMultipleRegisters(16, 12, m().HoldingRegisters);
    ASSERT_TRUE(link->sim.waitForOutputReports(0, 2, Patience));
    const Bytes sent = peer->received().at(0);
    ASSERT_EQ(sent.size(), 33u);
    EXPECT_EQ(Bytes(sent.begin(), sent.begin() + 7), (Bytes{0xFF, 0x10, 0x00, 0x10, 0x00, 0x0C, 0x18}));
    for (int i = 0; i < 12; ++i) {
        const std::uint16_t value = m().HoldingRegisters[16 + i];
        EXPECT_EQ(sent[7 + 2 * i], value & 0xFF);
        EXPECT_EQ(sent[8 + 2 * i], value >> 8);
    }
    EXPECT_EQ(sent, withCRC(Bytes(sent.begin(), sent.end() - 2)));
    EXPECT_EQ(m().EchoLength, 33);
}

TEST_F(MasterOnLink, block_write_leaving_the_image_or_the_frame_sends_nothing) {
    m().PendingFunction = 3;
    m().WriteMultipleRegisters(1020, 6, m().HoldingRegisters);
    m().WriteMultipleRegisters(0, 124, m().HoldingRegisters);
    m().WriteMultipleRegisters(-1, 2, m().HoldingRegisters);
    m().WriteMultipleRegisters(0, -1, m().HoldingRegisters);
    EXPECT_TRUE(link->sim.outputReports(0).empty());
    EXPECT_EQ(m().PendingFunction, 3);
    m().WriteMultipleRegisters(1025 - 123, 123, m().HoldingRegisters); // the largest block that fits
    ASSERT_TRUE(link->sim.waitForOutputReports(0, 6, Patience));
    const auto received = peer->received();
    ASSERT_EQ(received.size(), 5u); // 255 bytes: four data reports of 60 bytes and one of 15
    EXPECT_EQ(received[4].size(), 15u);
}

TEST_F(MasterOnLink, a_frame_over_83_bytes_is_traced_cut_at_255_characters) {
    Bytes frame(100);
    for (std::size_t i = 0; i < frame.size(); ++i)
        frame[i] = static_cast<std::uint8_t>(i);
    transmit(frame);
    const Record r = link->recorder.snapshot();
    ASSERT_EQ(r.tx.size(), 1u);
    EXPECT_EQ(r.tx[0].size(), 255u);
    EXPECT_EQ(r.tx[0].substr(0, 14), "TX : 00 01 02 ");
    EXPECT_EQ(r.tx[0].substr(245), "50 51 52 5");
    ASSERT_TRUE(link->sim.waitForOutputReports(0, 3, Patience));
    const auto reports = link->sim.outputReports(0);
    EXPECT_EQ(reports[0], portFormatReport(0x40));
    EXPECT_EQ(reports[1][3], 60);        // full report, more to come
    EXPECT_EQ(reports[2][3], 40 | 0x80); // the last part
}

TEST_F(MasterOnLink, construction_leaves_both_mode_bits_clear_until_the_first_frame) {
    // A master built on this bridge: the one report before its first frame is a flag-00 port format
    // (the start-up reports of the constructor reach no device: no reader ran yet).
    ScriptedPeer quiet;
    OpenedMaster fresh(&quiet);
    ASSERT_TRUE(fresh.opened);
    EXPECT_FALSE(fresh.bridge.ModeBit7());
    EXPECT_FALSE(fresh.bridge.ModeBit6());
    ASSERT_EQ(fresh.sim.outputReports(0).size(), 1u);
    EXPECT_EQ(fresh.sim.outputReports(0)[0], portFormatReport(0x00));
    EXPECT_EQ(fresh.sim.portFlags(0), 0x00);
    fresh.master.ReadInputRegisters(0, 1);
    EXPECT_TRUE(fresh.bridge.ModeBit6());
    ASSERT_TRUE(fresh.sim.waitForOutputReports(0, 3, std::chrono::seconds(2)));
    EXPECT_EQ(fresh.sim.outputReports(0)[1], portFormatReport(0x40));
}

// ---------------------------------------------------------------------------------------------
// Replies that are decoded

struct DecodeCase {
    const char* name;
    std::function<void(TMiniModbusMaster&)> request;
    Bytes reply;
    std::vector<Arrival> arrivals;
    int blockWrites;
};
void PrintTo(const DecodeCase& c, std::ostream* os) {
    *os << c.name;
}

class Decoding : public MasterOnLink, public testing::WithParamInterface<DecodeCase> {};

TEST_P(Decoding, stores_each_value_then_reports_it_in_address_order) {
    const DecodeCase& c = GetParam();
    peer->answer(c.reply);
    c.request(m());
    const Record r = afterFrames(1);
    EXPECT_EQ(r.arrivals, c.arrivals);
    EXPECT_EQ(r.blockWrites, c.blockWrites);
    EXPECT_EQ(r.rx, std::vector<std::string>{TCustomMiniModbus::DebugText("RX : ", c.reply)});
    for (const Arrival& a : c.arrivals) {
        switch (a.type) {
        case TDataType::dtHoldingRegister:
            EXPECT_EQ(m().HoldingRegisters[a.address], a.data);
            break;
        case TDataType::dtInputRegister:
            EXPECT_EQ(m().InputRegisters[a.address], a.data);
            break;
        case TDataType::dtCoil:
            EXPECT_EQ(m().Coils[a.address], a.data != 0);
            break;
        case TDataType::dtDiscreteInput:
            EXPECT_EQ(m().DiscreteInputs[a.address], a.data != 0);
            break;
        }
    }
}

// Requests for functions the master has no operation for: the pending state is set by hand and a
// raw request goes out, as another master class would do.
std::function<void(TMiniModbusMaster&)> pendingRaw(int function, int start, int count, Bytes request) {
    return [=](TMiniModbusMaster& m) {
        m.PendingStart = start;
        m.PendingCount = count;
        m.PendingFunction = function;
        const Bytes frame = withCRC(request);
        m.TransmitFrame(frame.data(), static_cast<int>(frame.size()));
    };
}

Bytes twelveRegisters() {
    Bytes reply{0xFF, 0x03, 0x18};
    for (int i = 0; i < 12; ++i) {
        reply.push_back(static_cast<std::uint8_t>(0x10 + i));
        reply.push_back(static_cast<std::uint8_t>(0xF0 - i));
    }
    return withCRC(reply);
}

std::vector<Arrival> twelveArrivals() {
    std::vector<Arrival> arrivals;
    for (int i = 0; i < 12; ++i)
        arrivals.push_back({TDataType::dtHoldingRegister, i, (0x10 + i) << 8 | (0xF0 - i)});
    return arrivals;
}

using T = TDataType;

INSTANTIATE_TEST_SUITE_P(
    LiteralReplies, Decoding,
    testing::Values(
        DecodeCase{"read_holding_registers_high_byte_first", [](auto& m) { m.ReadHoldingRegisters(0, 12); },
                   twelveRegisters(), twelveArrivals(), 0},
        DecodeCase{"read_input_register",
                   [](auto& m) { m.ReadInputRegisters(0, 1); },
                   withCRC({0xFF, 0x04, 0x02, 0x40, 0x53}),
                   {{T::dtInputRegister, 0, 0x4053}},
                   0},
        DecodeCase{"write_single_register_echo",
                   [](auto& m) { m.WriteSingleRegister(1000, 1); },
                   withCRC({0xFF, 0x06, 0x03, 0xE8, 0x00, 0x01}),
                   {{T::dtHoldingRegister, 1000, 1}},
                   0},
        DecodeCase{"write_multiple_registers_reply",
                   [](auto& m) { m.WriteMultipleRegisters(16, 2, m.HoldingRegisters); },
                   withCRC({0xFF, 0x10, 0x00, 0x10, 0x00, 0x02}),
                   {},
                   1},
        DecodeCase{"read_coils",
                   pendingRaw(1, 3, 10, {0xFF, 0x01, 0x00, 0x03, 0x00, 0x0A}),
                   withCRC({0xFF, 0x01, 0x02, 0x05, 0x02}),
                   {{T::dtCoil, 3, 1},
                    {T::dtCoil, 4, 0},
                    {T::dtCoil, 5, 1},
                    {T::dtCoil, 6, 0},
                    {T::dtCoil, 7, 0},
                    {T::dtCoil, 8, 0},
                    {T::dtCoil, 9, 0},
                    {T::dtCoil, 10, 0},
                    {T::dtCoil, 11, 0},
                    {T::dtCoil, 12, 1}},
                   0},
        DecodeCase{"read_discrete_inputs",
                   pendingRaw(2, 0, 3, {0xFF, 0x02, 0x00, 0x00, 0x00, 0x03}),
                   withCRC({0xFF, 0x02, 0x01, 0x06}),
                   {{T::dtDiscreteInput, 0, 0}, {T::dtDiscreteInput, 1, 1}, {T::dtDiscreteInput, 2, 1}},
                   0},
        DecodeCase{"write_coil_reports_the_raw_value",
                   pendingRaw(5, 7, 1, {0xFF, 0x05, 0x00, 0x07, 0xFF, 0x00}),
                   withCRC({0xFF, 0x05, 0x00, 0x07, 0xFF, 0x00}),
                   {{T::dtCoil, 7, 65280}},
                   0},
        DecodeCase{"single_write_echo_address_is_taken_from_the_reply",
                   [](auto& m) { m.WriteSingleRegister(3, 9); },
                   withCRC({0xFF, 0x06, 0x00, 0x04, 0x00, 0x09}),
                   {{T::dtHoldingRegister, 4, 9}},
                   0}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Replies that are dropped

struct DropCase {
    const char* name;
    Bytes reply;
};
void PrintTo(const DropCase& c, std::ostream* os) {
    *os << c.name;
}

Bytes swappedCrc(Bytes frame) {
    std::swap(frame[frame.size() - 1], frame[frame.size() - 2]);
    return frame;
}

// The frame without its CRC, with one byte changed, and a fresh CRC.
Bytes withByte(const Bytes& frame, std::size_t index, std::uint8_t value) {
    Bytes body(frame.begin(), frame.end() - 2);
    body.at(index) = value;
    return withCRC(body);
}

Bytes withByteCount(const Bytes& frame, std::uint8_t count) {
    return withByte(frame, 2, count);
}

Bytes withAddress(const Bytes& frame, std::uint8_t address) {
    return withByte(frame, 0, address);
}

class Dropped : public MasterOnLink, public testing::WithParamInterface<DropCase> {};

TEST_P(Dropped, raise_only_the_trace_and_leave_the_request_awaited) {
    const DropCase& c = GetParam();
    peer->answer(c.reply);
    m().ReadHoldingRegisters(0, 12);
    const Record dropped = afterFrames(1);
    EXPECT_TRUE(dropped.arrivals.empty());
    EXPECT_EQ(dropped.blockWrites, 0);
    EXPECT_TRUE(std::all_of(m().HoldingRegisters.begin(), m().HoldingRegisters.end(),
                            [](const auto& v) { return v == 0xBEEF; }));
    // That frame was not the request's answer: the answer that comes afterwards is still its own.
    peer->answer(twelveRegisters());
    transmit({0x00});
    const Record r = afterFrames(2);
    EXPECT_EQ(r.rx, (std::vector<std::string>{TCustomMiniModbus::DebugText("RX : ", c.reply),
                                              TCustomMiniModbus::DebugText("RX : ", twelveRegisters())}));
    // A refusal answers the request: nothing else is booked for it.
    const bool refused = std::string(c.name) == "exception_reply";
    if (refused) {
        EXPECT_TRUE(r.arrivals.empty());
        return;
    }
    ASSERT_EQ(r.arrivals.size(), 12u);
    EXPECT_EQ(r.arrivals[11], (Arrival{TDataType::dtHoldingRegister, 11, 0x1BE5}));
}

INSTANTIATE_TEST_SUITE_P(
    BadReplies, Dropped,
    testing::Values(DropCase{"exception_reply", withCRC({0xFF, 0x83, 0x02})},
                    DropCase{"other_address_with_good_crc", withAddress(twelveRegisters(), 0xFE)},
                    DropCase{"broadcast_address", withAddress(twelveRegisters(), 0x00)},
                    DropCase{"swapped_crc_bytes", swappedCrc(twelveRegisters())},
                    DropCase{"byte_count_16_hex_instead_of_18_hex", withByteCount(twelveRegisters(), 0x16)},
                    DropCase{"other_function", withCRC({0xFF, 0x04, 0x02, 0x00, 0x01})},
                    DropCase{"too_short", {0xFF, 0x03, 0x18}}, DropCase{"single_byte", {0xFF}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MasterOnLink, frame_while_idle_raises_only_the_trace) {
    const Bytes reply = withCRC({0xFF, 0x04, 0x02, 0x12, 0x34});
    m().PendingFunction = -1;
    peer->answer(reply);
    transmit({0x00});
    const Record r = afterFrames(1);
    EXPECT_TRUE(r.arrivals.empty());
    EXPECT_EQ(r.blockWrites, 0);
    EXPECT_EQ(r.rx, std::vector<std::string>{TCustomMiniModbus::DebugText("RX : ", reply)});
    EXPECT_EQ(m().InputRegisters[0], 0xBEEF);
}

TEST_F(MasterOnLink, back_to_back_requests_leave_only_the_second_outstanding) {
    m().ReadHoldingRegisters(0, 12);
    m().ReadInputRegisters(5, 2);
    EXPECT_EQ(m().PendingFunction, 4);
    EXPECT_EQ(m().PendingStart, 5);
    EXPECT_EQ(m().PendingCount, 2);
    // The slave answers in order: the first reply is the first request's, the second the second's.
    peer->answer(twelveRegisters());
    transmit({0x00});
    peer->answer(withCRC({0xFF, 0x04, 0x04, 0x00, 0x01, 0x00, 0x02}));
    transmit({0x00});
    const Record r = afterFrames(2);
    ASSERT_EQ(r.arrivals.size(), 14u);
    EXPECT_EQ(r.arrivals[0], (Arrival{TDataType::dtHoldingRegister, 0, r.arrivals[0].data}));
    EXPECT_EQ(r.arrivals[12], (Arrival{TDataType::dtInputRegister, 5, 1}));
    EXPECT_EQ(r.arrivals[13], (Arrival{TDataType::dtInputRegister, 6, 2}));
    EXPECT_EQ(m().PendingFunction, -1);
    EXPECT_EQ(r.rx.size(), 2u);
}

TEST_F(MasterOnLink, a_master_with_no_trace_streams_still_takes_its_replies) {
    m().RxDebugStream = nullptr;
    m().TxDebugStream = nullptr;
    m().ReadInputRegisters(5, 2);
    peer->answer(withCRC({0xFF, 0x04, 0x04, 0x00, 0x01, 0x00, 0x02}));
    transmit({0x00});
    const Record r = afterFrames(1);
    EXPECT_EQ(r.arrivals, (std::vector<Arrival>{{T::dtInputRegister, 5, 1}, {T::dtInputRegister, 6, 2}}));
    EXPECT_TRUE(r.rx.empty() && r.tx.empty());
}

TEST_F(MasterOnLink, back_to_back_requests_decode_the_second_reply) {
    m().ReadHoldingRegisters(0, 12);
    m().ReadInputRegisters(5, 2);
    peer->answer(withCRC({0xFF, 0x04, 0x04, 0x00, 0x01, 0x00, 0x02}));
    transmit({0x00});
    const Record r = afterFrames(1);
    EXPECT_EQ(r.arrivals, (std::vector<Arrival>{{T::dtInputRegister, 5, 1}, {T::dtInputRegister, 6, 2}}));
}

TEST_F(MasterOnLink, a_reply_split_over_several_input_reports_is_one_frame) {
    // A 61-register read: 127 bytes come back in three input reports.
    Bytes reply{0xFF, 0x03, 122};
    std::vector<Arrival> expected;
    for (int i = 0; i < 61; ++i) {
        reply.push_back(static_cast<std::uint8_t>(i));
        reply.push_back(static_cast<std::uint8_t>(0xFF - i));
        expected.push_back({T::dtHoldingRegister, 100 + i, i << 8 | (0xFF - i)});
    }
    peer->answer(withCRC(reply));
    m().ReadHoldingRegisters(100, 61);
    const Record r = afterFrames(1);
    EXPECT_EQ(r.arrivals, expected);
}

} // namespace
