// The parts of the Modbus layer that need no link: CRC, debug texts, and the reply checks and
// decoder fed directly on the test thread (echo handling, values outside the image, overruns).
#include "ModbusTestSupport.h"
#include "modbus/MiniModbusTestHook.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>

#include <cstdio>
#include <string>

using namespace modbustest;

namespace {

// ---------------------------------------------------------------------------------------------
// CRC-16/MODBUS

struct CrcCase {
    const char* name;
    Bytes bytes;
    std::uint16_t crc;
};
void PrintTo(const CrcCase& c, std::ostream* os) {
    *os << c.name;
}

Bytes ascii(const std::string& text) {
    return {text.begin(), text.end()};
}

Bytes counting(int n) {
    Bytes bytes;
    for (int i = 0; i < n; ++i)
        bytes.push_back(static_cast<std::uint8_t>(i));
    return bytes;
}

class ModbusCrc : public testing::TestWithParam<CrcCase> {};

TEST_P(ModbusCrc, matches_the_reference_value) {
    EXPECT_EQ(TCustomMiniModbus::ModbusCRC(GetParam().bytes), GetParam().crc);
}

// Values from the indicator's own requests, the usual Modbus examples and a separate bitwise
// implementation run once outside this code base.
INSTANTIATE_TEST_SUITE_P(
    Vectors, ModbusCrc,
    testing::Values(CrcCase{"read_12_holding_registers", {0xFF, 0x03, 0x00, 0x00, 0x00, 0x0C}, 0x1150},
                    CrcCase{"read_type_word", {0xFF, 0x04, 0x00, 0x00, 0x00, 0x01}, 0x1424},
                    CrcCase{"write_register_1000", {0xFF, 0x06, 0x03, 0xE8, 0x00, 0x01}, 0xA4DD},
                    CrcCase{"check_string", ascii("123456789"), 0x4B37}, CrcCase{"empty", {}, 0xFFFF},
                    CrcCase{"read_10_registers_of_slave_1", {0x01, 0x03, 0x00, 0x00, 0x00, 0x0A}, 0xCDC5},
                    CrcCase{"read_holding_slave_17", {0x11, 0x03, 0x00, 0x6B, 0x00, 0x03}, 0x8776},
                    CrcCase{"read_coils_slave_17", {0x11, 0x01, 0x00, 0x13, 0x00, 0x25}, 0x840E},
                    CrcCase{"write_register_slave_17", {0x11, 0x06, 0x00, 0x01, 0x00, 0x03}, 0x9B9A},
                    CrcCase{"single_byte", {0x01}, 0x807E},
                    CrcCase{"eight_zero_bytes", Bytes(8, 0x00), 0x0B40},
                    CrcCase{"all_byte_values", counting(256), 0xDE6C}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ModbusCrcOrder, request_ends_with_crc_low_byte_first) {
    const Bytes frame = withCRC({0xFF, 0x03, 0x00, 0x00, 0x00, 0x0C});
    EXPECT_EQ(frame, (Bytes{0xFF, 0x03, 0x00, 0x00, 0x00, 0x0C, 0x50, 0x11}));
}

// ---------------------------------------------------------------------------------------------
// Debug texts

// An independent rendering: "%02X " per byte, then cut at 255 characters.
std::string reference(const char* prefix, const Bytes& bytes) {
    std::string text = prefix;
    for (std::uint8_t b : bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X ", b);
        text += hex;
    }
    return text.substr(0, 255);
}

struct TextCase {
    const char* name;
    const char* prefix;
    Bytes bytes;
    std::size_t length;
};
void PrintTo(const TextCase& c, std::ostream* os) {
    *os << c.name;
}

class DebugText : public testing::TestWithParam<TextCase> {};

TEST_P(DebugText, shows_two_upper_case_digits_and_a_blank_per_byte_cut_at_255) {
    const TextCase& c = GetParam();
    const std::string text = TCustomMiniModbus::DebugText(c.prefix, c.bytes);
    EXPECT_EQ(text, reference(c.prefix, c.bytes));
    EXPECT_EQ(text.size(), c.length);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, DebugText,
    testing::Values(TextCase{"empty_frame", "RX : ", {}, 5},
                    TextCase{"request", "TX : ", {0xFF, 0x03, 0x00, 0x00, 0x00, 0x0C, 0x50, 0x11}, 5 + 8 * 3},
                    TextCase{"lower_case_never_used", "RX : ", {0xab, 0xcd, 0xef}, 5 + 3 * 3},
                    TextCase{"83_bytes_fit_whole", "RX : ", counting(83), 254},
                    TextCase{"84_bytes_are_cut", "RX : ", counting(84), 255},
                    TextCase{"100_bytes_are_cut", "TX : ", counting(100), 255}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DebugTextExact, request_text_ends_with_a_blank) {
    EXPECT_EQ(TCustomMiniModbus::DebugText("TX : ", Bytes{0xFF, 0x03, 0x00, 0x00, 0x00, 0x0C, 0x50, 0x11}),
              "TX : FF 03 00 00 00 0C 50 11 ");
}

// ---------------------------------------------------------------------------------------------
// Reply checks and decoder, fed on the test thread through the test hook

class DirectReplies : public testing::Test {
protected:
    static void SetUpTestSuite() {
        link = new FakeLink;
        master = new TMiniModbusMaster(*link);
        master->Node = 255;
    }
    static void TearDownTestSuite() {
        delete master;
        delete link;
    }
    void SetUp() override {
        arrivals.clear();
        blockWrites = 0;
        master->EchoCancel = false;
        master->EchoLength = 0;
        MiniModbusTestHook::ForgetRequests(*master);
        for (auto& r : master->HoldingRegisters)
            r = 0xBEEF;
        for (auto& c : master->Coils)
            c = false;
        master->OnDataArrival = [this](TComponent*, TDataType t, std::int32_t a, std::int32_t d) {
            arrivals.push_back({t, a, d});
        };
        master->OnWordBlockWriting = [this](TComponent*) { ++blockWrites; };
    }
    void pending(int function, int start, int count) {
        master->PendingStart = start;
        master->PendingCount = count;
        master->PendingFunction = function;
    }
    void feed(const Bytes& frame) { MiniModbusTestHook::CheckReply(*master, frame); }
    bool holdingUntouched() const {
        for (const auto& r : master->HoldingRegisters)
            if (r != 0xBEEF) return false;
        return true;
    }

    static inline FakeLink* link = nullptr;
    static inline TMiniModbusMaster* master = nullptr;
    std::vector<Arrival> arrivals;
    int blockWrites = 0;
};

TEST_F(DirectReplies, echo_cancel_skips_the_echo_of_the_request) {
    master->EchoCancel = true;
    const Bytes request = withCRC({0xFF, 0x06, 0x00, 0x05, 0x12, 0x34});
    master->EchoLength = static_cast<std::int32_t>(request.size());
    pending(6, 5, 1);
    Bytes frame = request;
    const Bytes reply = withCRC({0xFF, 0x06, 0x00, 0x05, 0x12, 0x34});
    frame.insert(frame.end(), reply.begin(), reply.end());
    feed(frame);
    EXPECT_EQ(arrivals, (std::vector<Arrival>{{TDataType::dtHoldingRegister, 5, 0x1234}}));
    EXPECT_EQ(master->PendingFunction, -1);
    EXPECT_EQ(master->EchoLength, 0);
}

TEST_F(DirectReplies, echo_cancel_keeps_the_request_outstanding_while_only_the_echo_came) {
    master->EchoCancel = true;
    const Bytes request = withCRC({0xFF, 0x03, 0x00, 0x00, 0x00, 0x01});
    master->EchoLength = static_cast<std::int32_t>(request.size());
    pending(3, 0, 1);
    feed(request);
    EXPECT_TRUE(arrivals.empty());
    EXPECT_EQ(master->PendingFunction, 3);
    EXPECT_EQ(master->EchoLength, 8);
}

TEST_F(DirectReplies, without_echo_cancel_a_leading_echo_fails_the_checks) {
    pending(6, 5, 1);
    master->EchoLength = 8;
    Bytes frame = withCRC({0xFF, 0x06, 0x00, 0x05, 0x12, 0x34});
    const Bytes reply = frame;
    frame.insert(frame.end(), reply.begin(), reply.end());
    feed(frame);
    EXPECT_TRUE(arrivals.empty());
    EXPECT_EQ(master->PendingFunction, -1);
    EXPECT_EQ(master->EchoLength, 0);
}

TEST_F(DirectReplies, the_reader_listens_only_while_an_answer_can_still_come) {
    EXPECT_FALSE(master->AwaitingInput()) << "nothing asked";
    master->ReadHoldingRegisters(0, 2); // no device: only the pending state and the time are set
    EXPECT_TRUE(master->AwaitingInput()) << "a request outstanding";
    feed(withCRC({0xFF, 0x03, 0x04, 0x00, 0x01, 0x00, 0x02}));
    EXPECT_FALSE(master->AwaitingInput()) << "its answer came";
    master->ReadHoldingRegisters(0, 2);
    const auto watch = std::chrono::duration_cast<std::chrono::nanoseconds>(TMiniModbusMaster::ReplyWatch);
    master->RequestSentAt = TMiniModbusMaster::Now() - watch.count() - 1;
    EXPECT_FALSE(master->AwaitingInput()) << "an answer that never came is no longer waited for";
    master->PendingFunction = -1;
}

TEST_F(DirectReplies, a_frame_begun_before_the_request_went_out_is_no_answer_to_it) {
    // The late answer to an earlier read of the same length, and then the real one.
    master->ReadHoldingRegisters(16, 2); // no device: only the pending state and the time are set
    const std::int64_t sentAt = master->RequestSentAt.load();
    ASSERT_GT(sentAt, 0);
    const Bytes stale = withCRC({0xFF, 0x03, 0x04, 0x00, 0x01, 0x00, 0x02});
    const Bytes fresh = withCRC({0xFF, 0x03, 0x04, 0x00, 0x03, 0x00, 0x04});
    MiniModbusTestHook::CheckReply(*master, stale, sentAt - 1);
    EXPECT_TRUE(arrivals.empty());
    EXPECT_EQ(master->PendingFunction, 3) << "the request still waits for its answer";
    MiniModbusTestHook::CheckReply(*master, fresh, sentAt + 1);
    EXPECT_EQ(arrivals, (std::vector<Arrival>{{TDataType::dtHoldingRegister, 16, 3},
                                              {TDataType::dtHoldingRegister, 17, 4}}));
    EXPECT_EQ(master->PendingFunction, -1);
}

TEST_F(DirectReplies, bits_are_taken_least_significant_first_across_bytes) {
    pending(1, 3, 10);
    feed(withCRC({0xFF, 0x01, 0x02, 0xCD, 0x01}));
    const int expected[10] = {1, 0, 1, 1, 0, 0, 1, 1, 1, 0}; // CD hex, then bit 0 of 01
    ASSERT_EQ(arrivals.size(), 10u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(arrivals[i], (Arrival{TDataType::dtCoil, 3 + i, expected[i]}));
        EXPECT_EQ(master->Coils[3 + i].load(), expected[i] == 1);
    }
}

TEST_F(DirectReplies, every_image_element_is_written_before_its_event) {
    pending(3, 40, 3);
    std::vector<bool> seen;
    master->OnDataArrival = [&](TComponent*, TDataType, std::int32_t a, std::int32_t d) {
        seen.push_back(master->HoldingRegisters[a] == d);
    };
    feed(withCRC({0xFF, 0x03, 0x06, 0x00, 0x01, 0x00, 0x02, 0x00, 0x03}));
    EXPECT_EQ(seen, (std::vector<bool>{true, true, true}));
}

TEST_F(DirectReplies, image_is_updated_without_an_event_handler) {
    master->OnDataArrival = nullptr;
    pending(3, 7, 1);
    feed(withCRC({0xFF, 0x03, 0x02, 0x12, 0x34}));
    EXPECT_EQ(master->HoldingRegisters[7], 0x1234);
}

TEST_F(DirectReplies, a_request_issued_by_an_event_handler_stays_outstanding) {
    pending(3, 0, 1);
    master->OnDataArrival = [&](TComponent*, TDataType, std::int32_t, std::int32_t) {
        master->PendingStart = 9; // as a request operation would, before its frame goes out
        master->PendingFunction = 4;
    };
    feed(withCRC({0xFF, 0x03, 0x02, 0x00, 0x01}));
    EXPECT_EQ(master->PendingFunction, 4);
}

// Replies that pass address, CRC and function checks but must not touch the image.
struct RejectCase {
    const char* name;
    int function, start, count;
    Bytes reply; // without CRC
};
void PrintTo(const RejectCase& c, std::ostream* os) {
    *os << c.name;
}

class RejectedReplies : public DirectReplies, public testing::WithParamInterface<RejectCase> {};

TEST_P(RejectedReplies, leave_the_image_alone_and_raise_nothing) {
    const RejectCase& c = GetParam();
    pending(c.function, c.start, c.count);
    feed(withCRC(c.reply));
    EXPECT_TRUE(arrivals.empty());
    EXPECT_EQ(blockWrites, 0);
    EXPECT_TRUE(holdingUntouched());
    for (const auto& coil : master->Coils)
        EXPECT_FALSE(coil);
    EXPECT_EQ(master->PendingFunction, -1);
}

Bytes registerReply(int count) {
    Bytes reply{0xFF, 0x03, static_cast<std::uint8_t>(2 * count)};
    for (int i = 0; i < count; ++i) {
        reply.push_back(0x00);
        reply.push_back(static_cast<std::uint8_t>(i + 1));
    }
    return reply;
}

INSTANTIATE_TEST_SUITE_P(
    OutsideTheImageOrFrame, RejectedReplies,
    testing::Values(
        RejectCase{"block_past_the_last_register", 3, 1020, 12, registerReply(12)},
        RejectCase{"negative_start", 3, -1, 2, registerReply(2)},
        RejectCase{"single_write_echo_at_2000", 6, 1000, 1, {0xFF, 0x06, 0x07, 0xD0, 0x00, 0x01}},
        RejectCase{"single_write_echo_at_1025", 6, 1000, 1, {0xFF, 0x06, 0x04, 0x01, 0x00, 0x01}},
        RejectCase{"coil_echo_at_65", 5, 0, 1, {0xFF, 0x05, 0x00, 0x41, 0xFF, 0x00}},
        RejectCase{"coils_past_bit_64", 1, 60, 8, {0xFF, 0x01, 0x01, 0xFF}},
        RejectCase{
            "register_data_shorter_than_its_count", 3, 0, 12, {0xFF, 0x03, 0x18, 0x00, 0x01, 0x00, 0x02}},
        RejectCase{"bit_data_missing", 1, 0, 16, {0xFF, 0x01, 0x02, 0xFF}},
        RejectCase{"byte_count_missing", 3, 0, 1, {0xFF, 0x03}},
        RejectCase{"single_write_echo_cut_short", 6, 5, 1, {0xFF, 0x06, 0x00, 0x05}},
        RejectCase{"count_beyond_one_byte", 3, 0, 128, registerReply(0)},
        RejectCase{"unknown_function", 7, 0, 1, {0xFF, 0x07, 0x00}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DirectReplies, frames_too_short_for_address_function_and_crc_are_dropped) {
    for (const Bytes& frame : {Bytes{0xFF}, Bytes{0xFF, 0x06}, Bytes{0xFF, 0x06, 0x00}}) {
        pending(6, 1, 1);
        feed(frame);
        EXPECT_TRUE(arrivals.empty());
        EXPECT_EQ(master->PendingFunction, -1);
    }
}

TEST_F(DirectReplies, zero_count_read_raises_nothing_but_is_accepted) {
    pending(3, 0, 0);
    feed(withCRC({0xFF, 0x03, 0x00}));
    EXPECT_TRUE(arrivals.empty());
    EXPECT_TRUE(holdingUntouched());
}

TEST_F(DirectReplies, highest_indices_of_the_image_are_reachable) {
    pending(6, 1024, 1);
    feed(withCRC({0xFF, 0x06, 0x04, 0x00, 0x00, 0x07}));
    pending(5, 64, 1);
    feed(withCRC({0xFF, 0x05, 0x00, 0x40, 0xFF, 0x00}));
    EXPECT_EQ(arrivals, (std::vector<Arrival>{{TDataType::dtHoldingRegister, 1024, 7},
                                              {TDataType::dtCoil, 64, 0xFF00}}));
    EXPECT_EQ(master->HoldingRegisters[1024], 7);
    EXPECT_TRUE(master->Coils[64]);
}

// ---------------------------------------------------------------------------------------------
// In-order answers: a frame is booked for the oldest request awaited that it fits, or rejected with
// its reason. Requests: "R fn start count"; frames: "A name".

struct InOrderCase {
    const char* name;
    std::vector<std::string> script;
    std::vector<std::int32_t> booked; // holding or input register addresses, in order
    std::string rejected; // the reasons, one letter each: C crc, X exception, F function, L length, S stale
    std::size_t stillAwaited;
};
void PrintTo(const InOrderCase& c, std::ostream* os) {
    *os << c.name;
}

// Answers built by hand: 12 registers from 0 (0x0100 + i), 16 from 32, the probe's 2 input registers.
const std::map<std::string, Bytes>& frames() {
    static const std::map<std::string, Bytes> f = [] {
        std::map<std::string, Bytes> m;
        Bytes twelve{0xFF, 0x03, 24}, sixteen{0xFF, 0x03, 32};
        for (int i = 0; i < 12; ++i)
            twelve.insert(twelve.end(), {0x01, static_cast<std::uint8_t>(i)});
        for (int i = 0; i < 16; ++i)
            sixteen.insert(sixteen.end(), {0x02, static_cast<std::uint8_t>(i)});
        m["twelve"] = withCRC(twelve);
        m["sixteen"] = withCRC(sixteen);
        m["probe"] = withCRC({0xFF, 0x04, 4, 0, 1, 0, 2});
        m["exception02"] = withCRC({0xFF, 0x83, 0x02});
        Bytes bad = withCRC(twelve);
        bad.back() ^= 0x55;
        m["badcrc"] = bad;
        m["echo6"] = withCRC({0xFF, 0x06, 0x03, 0xE8, 0x00, 0x01});
        return m;
    }();
    return f;
}

class InOrder : public DirectReplies, public testing::WithParamInterface<InOrderCase> {};

TEST_P(InOrder, books_each_answer_for_the_request_it_answers) {
    std::string rejected;
    master->OnFrameRejected = [&rejected](TComponent*, TRejectReason reason, int) {
        rejected += "CAXFLS"[static_cast<int>(reason)];
    };
    for (const std::string& step : GetParam().script) {
        if (step[0] == 'R') {
            int function = 0, start = 0, count = 0;
            std::sscanf(step.c_str(), "R %d %d %d", &function, &start, &count);
            MiniModbusTestHook::Record(*master, function, start, count);
        } else {
            feed(frames().at(step.substr(2)));
        }
    }
    master->OnFrameRejected = nullptr;
    std::vector<std::int32_t> booked;
    for (const Arrival& a : arrivals)
        booked.push_back(a.address);
    EXPECT_EQ(booked, GetParam().booked);
    EXPECT_EQ(rejected, GetParam().rejected);
    EXPECT_EQ(master->ExpectedAnswers().size(), GetParam().stillAwaited);
}

std::vector<std::int32_t> range(int first, int count) {
    std::vector<std::int32_t> r;
    for (int i = 0; i < count; ++i)
        r.push_back(first + i);
    return r;
}
std::vector<std::int32_t> operator+(std::vector<std::int32_t> a, const std::vector<std::int32_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

INSTANTIATE_TEST_SUITE_P(
    Answers, InOrder,
    testing::Values(
        InOrderCase{"late_answer_before_the_probes_is_its_own",
                    {"R 3 0 12", "R 4 1 2", "A twelve", "A probe"},
                    range(0, 12) + range(1, 2),
                    "",
                    0},
        InOrderCase{"the_probes_answer_settles_every_request_before_it",
                    {"R 3 0 12", "R 4 1 2", "A probe", "A twelve"},
                    range(1, 2),
                    "S",
                    0},
        InOrderCase{"an_abandoned_table_block_is_not_taken_for_the_next_read",
                    {"R 3 32 16", "R 3 0 12", "A sixteen", "A twelve"},
                    range(32, 16) + range(0, 12),
                    "",
                    0},
        InOrderCase{"the_outstanding_read_stays_awaited_past_another_requests_answer",
                    {"R 3 0 12", "A echo6", "R 4 1 2", "A twelve", "A probe"},
                    range(0, 12) + range(1, 2),
                    "F",
                    0},
        InOrderCase{"a_probe_answer_is_taken_by_the_oldest_probe_not_past_a_read",
                    {"R 4 1 2", "R 3 0 12", "R 4 1 2", "A probe"},
                    range(1, 2),
                    "",
                    2},
        InOrderCase{
            "copies_in_a_row_are_answered_one_each", {"R 4 1 2", "R 4 1 2", "A probe"}, range(1, 2), "", 1},
        InOrderCase{
            "exception_answers_the_request_with_its_reason", {"R 3 0 12", "A exception02"}, {}, "X", 0},
        InOrderCase{"bad_crc_leaves_the_request_awaited", {"R 3 0 12", "A badcrc"}, {}, "C", 1},
        InOrderCase{"another_length_is_no_answer", {"R 3 32 16", "A twelve"}, {}, "L", 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RejectText, names_the_reason_as_a_user_reads_it) {
    // The French sources, and a translation handed in replaces each marked text, the code kept.
    EXPECT_EQ(RejectText(TRejectReason::Exception, 2), "exception 02, adresse de données illégale");
    EXPECT_EQ(RejectText(TRejectReason::Exception, 4), "exception 04, défaillance de l'appareil");
    EXPECT_EQ(RejectText(TRejectReason::Exception, 0x0B),
              "exception 0B, pas de réponse derrière la passerelle");
    EXPECT_EQ(RejectText(TRejectReason::Exception, 0x7F), "exception 7F, exception inconnue");
    EXPECT_EQ(RejectText(TRejectReason::BadCrc, 0), "CRC erroné");
    const TTextTranslation english = [](const char* french) {
        const std::string text(french);
        if (text == "exception %1, %2") return std::string("exception %1, %2");
        if (text == "adresse de données illégale") return std::string("illegal data address");
        return "<" + text + ">";
    };
    EXPECT_EQ(RejectText(TRejectReason::Exception, 2, english), "exception 02, illegal data address");
    EXPECT_EQ(RejectText(TRejectReason::Stale, 0, english), "<réponse périmée>");
}

} // namespace
