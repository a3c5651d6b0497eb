#include "tests/sim/HostSide.h"
#include "tests/support/SimulatedDevice.h"

#include "sim/SimulatedIndicator.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <string>

using namespace qv7;
using namespace qv7::test;
using namespace std::chrono_literals;
using Fault = SimulatedIndicator::Fault;

namespace {

Bytes withCrc(Bytes frame) {
    const std::uint16_t crc = modbusCrc(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    return frame;
}

bool crcGood(const Bytes& frame) {
    return frame.size() >= 4 && withCrc(Bytes(frame.begin(), frame.end() - 2)) == frame;
}

const Bytes ReadConfig{0xFF, 0x03, 0x00, 0x00, 0x00, 0x0C, 0x50, 0x11};
const Bytes ReadType{0xFF, 0x04, 0x00, 0x00, 0x00, 0x01, 0x24, 0x14};
const Bytes WriteCommand{0xFF, 0x06, 0x03, 0xE8, 0x00, 0x01, 0xDD, 0xA4};

// The indicator behind a simulated bridge, reached through a handle as the link reaches it.
struct Rig {
    explicit Rig(std::uint16_t typeWord = SimulatedIndicator::DefaultTypeWord) : device(typeWord) {}
    SimulatedDevice device;
    HostSide host{device.bridge, device.index};
    SimulatedIndicator& indicator = device.indicator;
};

} // namespace

struct CrcCase {
    std::string name;
    Bytes bytes;
    std::uint16_t crc;
};

class ModbusCrc : public testing::TestWithParam<CrcCase> {};

TEST_P(ModbusCrc, matches_the_published_check_values) {
    EXPECT_EQ(modbusCrc(GetParam().bytes), GetParam().crc);
}

INSTANTIATE_TEST_SUITE_P(
    Vectors, ModbusCrc,
    testing::Values(CrcCase{"empty", {}, 0xFFFF},
                    CrcCase{"check_string", {'1', '2', '3', '4', '5', '6', '7', '8', '9'}, 0x4B37},
                    CrcCase{"read_holding", {0xFF, 0x03, 0x00, 0x00, 0x00, 0x0C}, 0x1150},
                    CrcCase{"read_input", {0xFF, 0x04, 0x00, 0x00, 0x00, 0x01}, 0x1424},
                    CrcCase{"write_single", {0xFF, 0x06, 0x03, 0xE8, 0x00, 0x01}, 0xA4DD}),
    [](const auto& info) { return info.param.name; });

TEST(SimulatedIndicatorReplies, read_of_twelve_holding_registers_returns_the_bank) {
    Rig rig;
    const auto reply = rig.host.exchange(ReadConfig);
    ASSERT_TRUE(reply);
    Bytes expected{0xFF, 0x03, 0x18};
    for (int address = 0; address < 12; ++address) {
        expected.push_back(static_cast<std::uint8_t>(rig.indicator.holding(address) >> 8));
        expected.push_back(static_cast<std::uint8_t>(rig.indicator.holding(address) & 0xFF));
    }
    EXPECT_EQ(*reply, withCrc(expected));
    EXPECT_EQ(reply->size(), 29u);
    EXPECT_EQ(rig.indicator.requests(), std::vector<Bytes>{ReadConfig});
}

TEST(SimulatedIndicatorReplies, read_of_input_register_zero_returns_the_type_word) {
    Rig rig(0x8A41);
    EXPECT_EQ(rig.host.exchange(ReadType), withCrc({0xFF, 0x04, 0x02, 0x8A, 0x41}));
}

TEST(SimulatedIndicatorReplies, write_single_register_is_echoed_and_stored) {
    Rig rig;
    EXPECT_EQ(rig.host.exchange(WriteCommand), WriteCommand);
    EXPECT_EQ(rig.indicator.holding(1000), 1);
}

TEST(SimulatedIndicatorReplies, mask_write_is_echoed_and_applied) {
    Rig rig;
    // Register 1 holds 1: (1 AND 0x00F0) OR (0x0102 AND NOT 0x00F0) = 0x0102.
    const Bytes request = withCrc({0xFF, 0x16, 0x00, 0x01, 0x00, 0xF0, 0x01, 0x02});
    EXPECT_EQ(rig.host.exchange(request), request);
    EXPECT_EQ(rig.indicator.holding(1), 0x0102);
}

TEST(SimulatedIndicatorReplies, write_multiple_data_is_read_low_byte_first) {
    Rig rig;
    const Bytes request = withCrc({0xFF, 0x10, 0x00, 0x10, 0x00, 0x02, 0x04, 0x34, 0x12, 0x56, 0x00});
    EXPECT_EQ(rig.host.exchange(request), withCrc({0xFF, 0x10, 0x00, 0x10, 0x00, 0x02}));
    EXPECT_EQ(rig.indicator.holding(16), 0x1234);
    EXPECT_EQ(rig.indicator.holding(17), 0x0056);
    EXPECT_EQ(rig.indicator.holding(18),
              SimulatedIndicator::defaultRegisters(SimulatedIndicator::DefaultTypeWord)[18]);
}

TEST(SimulatedIndicatorReplies, linearisation_block_of_sixteen_registers_round_trips) {
    Rig rig;
    Bytes request{0xFF, 0x10, 0x00, 0x40, 0x00, 0x10, 0x20};
    for (int i = 0; i < 16; ++i) {
        request.push_back(static_cast<std::uint8_t>(i));
        request.push_back(static_cast<std::uint8_t>(0xA0 + i));
    }
    ASSERT_TRUE(rig.host.exchange(withCrc(request)));
    const auto reply = rig.host.exchange(withCrc({0xFF, 0x03, 0x00, 0x40, 0x00, 0x10}));
    ASSERT_TRUE(reply);
    ASSERT_EQ(reply->size(), 37u);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(rig.indicator.holding(64 + i), (0xA0 + i) << 8 | i);
        EXPECT_EQ((*reply)[3 + 2 * i], 0xA0 + i) << "replies go high byte first";
    }
}

struct RefusedCase {
    std::string name;
    Bytes request;
};

class SimulatedIndicatorIgnores : public testing::TestWithParam<RefusedCase> {};

TEST_P(SimulatedIndicatorIgnores, request_is_neither_answered_nor_recorded) {
    Rig rig;
    EXPECT_EQ(rig.host.exchange(GetParam().request, 5), std::nullopt);
    EXPECT_TRUE(rig.indicator.requests().empty());
    EXPECT_EQ(rig.indicator.holding(1000), 0);
    EXPECT_EQ(rig.host.exchange(ReadType), withCrc({0xFF, 0x04, 0x02, 0x40, 0x53}))
        << "still answers afterwards";
}

INSTANTIATE_TEST_SUITE_P(
    Frames, SimulatedIndicatorIgnores,
    testing::Values(RefusedCase{"bad_crc", {0xFF, 0x06, 0x03, 0xE8, 0x00, 0x01, 0xDD, 0xA5}},
                    RefusedCase{"swapped_crc", {0xFF, 0x06, 0x03, 0xE8, 0x00, 0x01, 0xA4, 0xDD}},
                    RefusedCase{"other_slave", withCrc({0x01, 0x06, 0x03, 0xE8, 0x00, 0x01})},
                    RefusedCase{"broadcast", withCrc({0x00, 0x06, 0x03, 0xE8, 0x00, 0x01})},
                    RefusedCase{"unknown_function", withCrc({0xFF, 0x41, 0x03, 0xE8, 0x00, 0x01})},
                    RefusedCase{"truncated", {0xFF, 0x06, 0x03, 0xE8}}),
    [](const auto& info) { return info.param.name; });

struct ExceptionCase {
    std::string name;
    Bytes request;
    std::uint8_t function;
    std::uint8_t code;
};

class SimulatedIndicatorException : public testing::TestWithParam<ExceptionCase> {};

TEST_P(SimulatedIndicatorException, gets_libmodbus_exception_reply) {
    Rig rig;
    const auto reply = rig.host.exchange(withCrc(GetParam().request));
    EXPECT_EQ(reply, withCrc({0xFF, GetParam().function, GetParam().code}));
    EXPECT_EQ(rig.indicator.requests().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    OutsideTheBank, SimulatedIndicatorException,
    testing::Values(ExceptionCase{"holding_past_1000", {0xFF, 0x03, 0x03, 0xE9, 0x00, 0x01}, 0x83, 0x02},
                    ExceptionCase{"block_across_1000", {0xFF, 0x03, 0x03, 0xE0, 0x00, 0x0C}, 0x83, 0x02},
                    ExceptionCase{"input_past_8", {0xFF, 0x04, 0x00, 0x09, 0x00, 0x01}, 0x84, 0x02},
                    ExceptionCase{"write_single_past_1000", {0xFF, 0x06, 0x03, 0xE9, 0x00, 0x01}, 0x86, 0x02},
                    ExceptionCase{"write_multiple_across_1000",
                                  {0xFF, 0x10, 0x03, 0xE8, 0x00, 0x02, 0x04, 0x01, 0x00, 0x02, 0x00},
                                  0x90,
                                  0x02},
                    ExceptionCase{"zero_registers", {0xFF, 0x03, 0x00, 0x00, 0x00, 0x00}, 0x83, 0x03}),
    [](const auto& info) { return info.param.name; });

TEST(SimulatedIndicatorFraming, request_split_across_two_data_reports_is_framed) {
    Rig rig;
    rig.host.write(dataReport(Bytes(WriteCommand.begin(), WriteCommand.begin() + 3)));
    EXPECT_EQ(rig.host.readFrame(3), std::nullopt) << "half a request gets no answer";
    rig.host.write(dataReport(Bytes(WriteCommand.begin() + 3, WriteCommand.end())));
    EXPECT_EQ(rig.host.readFrame(), WriteCommand);
    EXPECT_EQ(rig.indicator.requests(), std::vector<Bytes>{WriteCommand});
}

TEST(SimulatedIndicatorFraming, write_multiple_split_inside_its_data_is_framed) {
    SimulatedIndicator indicator;
    const Bytes request = withCrc({0xFF, 0x10, 0x00, 0x10, 0x00, 0x02, 0x04, 0x34, 0x12, 0x56, 0x00});
    for (std::size_t cut = 1; cut < request.size(); ++cut) {
        EXPECT_TRUE(indicator.receiveSerial(std::span(request).first(cut)).empty()) << cut;
        EXPECT_EQ(indicator.receiveSerial(std::span(request).subspan(cut)).size(), 8u) << cut;
    }
    EXPECT_EQ(indicator.requests().size(), request.size() - 1);
}

TEST(SimulatedIndicatorFraming, garbage_before_a_request_is_skipped) {
    SimulatedIndicator indicator;
    Bytes line{0x00, 0xFF, 0x10, 0x00, 0x00, 0x00, 0x01, 0xF0}; // noise, then a lone, unfinished header
    EXPECT_TRUE(indicator.receiveSerial(line).empty());
    EXPECT_EQ(indicator.receiveSerial(ReadType), withCrc({0xFF, 0x04, 0x02, 0x40, 0x53}));
    Bytes joined{0x13, 0x37};
    joined.insert(joined.end(), WriteCommand.begin(), WriteCommand.end());
    EXPECT_EQ(indicator.receiveSerial(joined), WriteCommand);
}

TEST(SimulatedIndicatorFraming, two_requests_in_one_report_get_both_replies) {
    SimulatedIndicator indicator;
    Bytes both = ReadType;
    both.insert(both.end(), WriteCommand.begin(), WriteCommand.end());
    Bytes expected = withCrc({0xFF, 0x04, 0x02, 0x40, 0x53});
    expected.insert(expected.end(), WriteCommand.begin(), WriteCommand.end());
    EXPECT_EQ(indicator.receiveSerial(both), expected);
}

struct FaultCase {
    std::string name;
    Fault fault;
    bool carriedOut;
    bool replied;
};

class SimulatedIndicatorFault : public testing::TestWithParam<FaultCase> {};

TEST_P(SimulatedIndicatorFault, hits_the_next_request_only) {
    Rig rig;
    rig.indicator.setReplyDelay(20ms);
    rig.indicator.injectFault(GetParam().fault, 1);
    rig.host.read();
    rig.host.send(WriteCommand);
    int emptyBefore = -1;
    const auto reply = rig.host.readFrame(GetParam().fault == Fault::Delay ? 200 : 5, &emptyBefore);
    EXPECT_EQ(rig.indicator.holding(1000), GetParam().carriedOut ? 1 : 0);
    EXPECT_EQ(reply.has_value(), GetParam().replied);
    EXPECT_EQ(rig.indicator.requests(), std::vector<Bytes>{WriteCommand});
    switch (GetParam().fault) {
    case Fault::CorruptCrc:
        ASSERT_TRUE(reply);
        EXPECT_EQ(Bytes(reply->begin(), reply->end() - 2),
                  Bytes(WriteCommand.begin(), WriteCommand.end() - 2));
        EXPECT_FALSE(crcGood(*reply));
        break;
    case Fault::WrongAddress:
        ASSERT_TRUE(reply);
        EXPECT_NE((*reply)[0], 0xFF);
        EXPECT_TRUE(crcGood(*reply));
        break;
    case Fault::Exception:
        EXPECT_EQ(reply, withCrc({0xFF, 0x86, 0x04}));
        break;
    case Fault::Delay:
        EXPECT_EQ(reply, WriteCommand);
        EXPECT_GE(emptyBefore, 19) << "20 ms at one report per millisecond";
        break;
    default:
        break;
    }
    const Bytes next = withCrc({0xFF, 0x06, 0x03, 0xE8, 0x00, 0x02});
    EXPECT_EQ(rig.host.exchange(next), next) << "the following request is served normally";
}

INSTANTIATE_TEST_SUITE_P(Kinds, SimulatedIndicatorFault,
                         testing::Values(FaultCase{"drop_reply", Fault::DropReply, true, false},
                                         FaultCase{"corrupt_crc", Fault::CorruptCrc, true, true},
                                         FaultCase{"wrong_address", Fault::WrongAddress, true, true},
                                         FaultCase{"exception", Fault::Exception, false, true},
                                         FaultCase{"delay", Fault::Delay, true, true},
                                         FaultCase{"silent", Fault::Silent, false, false}),
                         [](const auto& info) { return info.param.name; });

TEST(SimulatedIndicatorFaults, counted_fault_covers_exactly_that_many_requests) {
    SimulatedIndicator indicator;
    indicator.injectFault(Fault::DropReply, 3);
    int answered = 0;
    for (int i = 0; i < 5; ++i)
        answered += indicator.receiveSerial(ReadType).empty() ? 0 : 1;
    EXPECT_EQ(answered, 2);
}

std::vector<bool> answeredPattern(double probability, std::uint32_t seed) {
    SimulatedIndicator indicator;
    indicator.injectFaultRandomly(Fault::DropReply, probability, seed);
    std::vector<bool> pattern;
    for (int i = 0; i < 64; ++i)
        pattern.push_back(!indicator.receiveSerial(ReadType).empty());
    return pattern;
}

TEST(SimulatedIndicatorFaults, random_faults_follow_their_seed_and_probability) {
    const auto pattern = answeredPattern(0.5, 7);
    EXPECT_EQ(pattern, answeredPattern(0.5, 7));
    EXPECT_NE(pattern, answeredPattern(0.5, 8));
    const auto dropped = std::count(pattern.begin(), pattern.end(), false);
    EXPECT_GT(dropped, 10);
    EXPECT_LT(dropped, 54);
    EXPECT_EQ(answeredPattern(0.0, 7), std::vector<bool>(64, true));
    EXPECT_EQ(answeredPattern(1.0, 7), std::vector<bool>(64, false));
}

TEST(SimulatedIndicatorFaults, cleared_faults_and_silence_end) {
    SimulatedIndicator indicator;
    indicator.injectFault(Fault::Silent, 10);
    indicator.injectFaultRandomly(Fault::DropReply, 1.0, 1);
    indicator.clearFaults();
    EXPECT_FALSE(indicator.receiveSerial(ReadType).empty());
    indicator.setSilent(true);
    EXPECT_TRUE(indicator.receiveSerial(WriteCommand).empty());
    EXPECT_EQ(indicator.holding(1000), 0);
    indicator.setSilent(false);
    EXPECT_EQ(indicator.receiveSerial(WriteCommand), WriteCommand);
    EXPECT_EQ(indicator.requests().size(), 3u);
    indicator.clearRequests();
    EXPECT_TRUE(indicator.requests().empty());
}

TEST(SimulatedIndicatorBank, registers_outside_the_bank_read_zero_and_ignore_writes) {
    SimulatedIndicator indicator;
    indicator.setHolding(1001, 7);
    indicator.setHolding(-1, 7);
    indicator.setInput(9, 7);
    EXPECT_EQ(indicator.holding(1001), 0);
    EXPECT_EQ(indicator.holding(-1), 0);
    EXPECT_EQ(indicator.input(9), 0);
    indicator.setHolding(1000, 0xBEEF);
    indicator.setInput(8, 0xCAFE);
    EXPECT_EQ(indicator.holding(1000), 0xBEEF);
    EXPECT_EQ(indicator.input(8), 0xCAFE);
}

TEST(SimulatedIndicatorBank, explicit_registers_replace_the_defaults) {
    SimulatedIndicator indicator(0x0153, {{0, 2}, {27, 0x1196}, {5000, 1}});
    EXPECT_EQ(indicator.input(0), 0x0153);
    EXPECT_EQ(indicator.holding(0), 2);
    EXPECT_EQ(indicator.holding(27), 0x1196);
    EXPECT_EQ(indicator.holding(4), 0) << "no defaults besides the given registers";
}

struct RegisterCase {
    int address;
    std::uint16_t value;
};

class DefaultRegisters : public testing::TestWithParam<RegisterCase> {};

TEST_P(DefaultRegisters, describe_a_configured_indicator) {
    SimulatedIndicator indicator;
    EXPECT_EQ(indicator.holding(GetParam().address), GetParam().value) << "register " << GetParam().address;
}

INSTANTIATE_TEST_SUITE_P(Registers, DefaultRegisters,
                         testing::Values(RegisterCase{0, 0}, RegisterCase{1, 1}, RegisterCase{2, 0x0101},
                                         RegisterCase{3, 150}, RegisterCase{4, 10000}, RegisterCase{5, 0},
                                         RegisterCase{6, 2}, RegisterCase{7, 10000}, RegisterCase{8, 0},
                                         RegisterCase{9, 1}, RegisterCase{10, 0x0103}, RegisterCase{11, 1},
                                         RegisterCase{16, 5000}, RegisterCase{17, 50},
                                         RegisterCase{18, 0x000A}, RegisterCase{32, 0}, RegisterCase{33, 0},
                                         RegisterCase{36, 0x0000}, RegisterCase{37, 0x3F80},
                                         RegisterCase{38, 0x0000}, RegisterCase{39, 0x3F80},
                                         RegisterCase{40, 0}, RegisterCase{159, 0}, RegisterCase{1000, 0}));

TEST(DefaultRegistersOfType, alarms_are_distinct) {
    const auto r = SimulatedIndicator::defaultRegisters(SimulatedIndicator::DefaultTypeWord);
    for (int k = 0; k < 4; ++k)
        for (int j = k + 1; j < 4; ++j)
            for (int field = 0; field < 3; ++field)
                EXPECT_NE(r.at(16 + 3 * k + field), r.at(16 + 3 * j + field)) << k << j << field;
}

TEST(DefaultRegistersOfType, a_dedicated_input_starts_configured_for_it) {
    // Register 0 is the input configuration: current for a configurable input, else the one input.
    const std::pair<std::uint16_t, std::uint16_t> cases[] = {{0x4053, 0}, {0x8000, 0}, {0x0100, 0},
                                                             {0x0200, 1}, {0x0400, 2}, {0x0800, 3}};
    for (const auto& [typeWord, config] : cases)
        EXPECT_EQ(SimulatedIndicator::defaultRegisters(typeWord).at(0), config) << std::hex << typeWord;
}

TEST(DefaultRegistersOfType, four_digit_indicator_keeps_to_its_range) {
    const auto r = SimulatedIndicator::defaultRegisters(SimulatedIndicator::DefaultTypeWord | 0x0004);
    EXPECT_EQ(r.at(4), 9999);
    EXPECT_EQ(r.at(7), 9999);
}

TEST(DefaultRegistersOfType, linearisation_points_lie_on_a_straight_line) {
    const auto r = SimulatedIndicator::defaultRegisters(SimulatedIndicator::DefaultTypeWord);
    const int lastPoint = r.at(2) >> 8;
    auto value = [&](int address) {
        return std::bit_cast<float>(static_cast<std::uint32_t>(r.at(address) | r.at(address + 1) << 16));
    };
    for (int point = 0; point < 32; ++point) {
        const float expected =
            point <= lastPoint ? static_cast<float>(point) / static_cast<float>(lastPoint) : 0.0f;
        EXPECT_EQ(value(32 + 4 * point), expected) << "ordinate " << point;
        EXPECT_EQ(value(34 + 4 * point), expected) << "abscissa " << point;
    }
}

TEST(SimulatedIndicatorBank, type_word_and_converter_readings_are_input_registers) {
    SimulatedIndicator indicator(0x0153);
    EXPECT_EQ(indicator.input(0), 0x0153);
    const auto reading = [&](int low) {
        return std::bit_cast<float>(
            static_cast<std::uint32_t>(indicator.input(low) | indicator.input(low + 1) << 16));
    };
    EXPECT_EQ(reading(5), 12.5f);
    EXPECT_EQ(reading(7), 0.25f);
}
