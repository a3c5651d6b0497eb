// The HID-serial bridge: selection by device strings, description texts, the exact output reports
// on the link, and the reassembly of input reports into serial frames.
#include "FakeHidAccess.h"

#include "link/HIDSerial.h"

#include <gtest/gtest.h>

using namespace qv7::test;

namespace {

Bytes report65(std::initializer_list<std::uint8_t> head, const Bytes& tail = {}) {
    Bytes report(head);
    report.insert(report.end(), tail.begin(), tail.end());
    report.resize(65, 0);
    return report;
}

class BridgeTest : public ::testing::Test {
protected:
    ~BridgeTest() override { bridge.CloseDevice(); }

    void openAndConnect() {
        events.watchConnection(bridge);
        ASSERT_TRUE(bridge.OpenDevice(1));
        // OpenDevice attaches once; the first open after it raises OnConnect.
        ASSERT_TRUE(events.waitConnects(1));
        // Then the bridge learns the line format, 9600 8N2 with both mode bits clear.
        ASSERT_TRUE(hid.waitForWritten(0, 1));
        ASSERT_EQ(hid.written(0).size(), 1u);
        EXPECT_EQ(hid.written(0)[0], report65({0x00, 0x01, 0x00, 0x00, 0x00}));
        hid.clearWritten(0);
    }

    FakeHidAccess hid;
    THIDSerial bridge{hid};
    EventLog events;
};

} // namespace

// --- selection ---------------------------------------------------------------------------------

struct MatchCase {
    const char* name;
    std::string productIdent;
    std::string manufacturer;
    std::string product;
    int expected;
};

class BridgeMatch : public BridgeTest, public ::testing::WithParamInterface<MatchCase> {};

TEST_P(BridgeMatch, counts_devices_whose_strings_match_exactly) {
    const MatchCase& c = GetParam();
    hid.addDevice("0001", c.manufacturer, c.product);
    bridge.ProductIdent = c.productIdent;
    EXPECT_EQ(bridge.CountDevices(), c.expected);
    EXPECT_EQ(bridge.OpenDevice(1), c.expected == 1);
}

INSTANTIATE_TEST_SUITE_P(
    Link, BridgeMatch,
    ::testing::Values(
        MatchCase{"padded_product_found_by_its_padded_name", "HID-QV7   ", "Norvex", "HID-QV7   ", 1},
        MatchCase{"padded_product_found_by_star", "*", "Norvex", "HID-QV7   ", 1},
        MatchCase{"padded_product_not_found_without_its_blanks", "HID-QV7", "Norvex", "HID-QV7   ", 0},
        MatchCase{"wrong_manufacturer_never_counted_with_star", "*", "Norvex2", "HID-QV7   ", 0},
        MatchCase{"wrong_manufacturer_never_counted_by_name", "HID-QV7   ", "Acme", "HID-QV7   ", 0},
        MatchCase{"manufacturer_compared_with_case", "*", "norvex", "HID-QV7   ", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BridgeTest, open_device_counts_matching_devices_only) {
    hid.addDevice("A", "Acme");
    hid.addDevice("0001");
    hid.addDevice("0002");
    EXPECT_EQ(bridge.CountDevices(), 2);
    // The path of the N-th match (the device a lock is taken for) is the one OpenDevice(N) opens.
    EXPECT_EQ(bridge.MatchingDevicePath(1), hid.path(1));
    EXPECT_EQ(bridge.MatchingDevicePath(2), hid.path(2));
    EXPECT_EQ(bridge.MatchingDevicePath(3), "");
    EXPECT_TRUE(bridge.OpenDevice(2));
    EXPECT_EQ(bridge.DeviceNumber(), 3) << "the position in the whole list, from 1";
    EXPECT_EQ(bridge.Thread().DevicePath, hid.path(2));
}

TEST_F(BridgeTest, open_device_past_the_matches_leaves_a_fresh_bridge_closed) {
    hid.addDevice("0001");
    EXPECT_FALSE(bridge.OpenDevice(2));
    EXPECT_EQ(bridge.DeviceNumber(), 0);
    EXPECT_EQ(bridge.IsOpen(), 0);
}

TEST_F(BridgeTest, a_device_that_does_not_attach_keeps_its_number_but_is_not_open) {
    hid.addDevice("0001");
    hid.change(0, [](FakeHidAccess::Device& d) { d.lengths.reset(); });
    EXPECT_FALSE(bridge.OpenDevice(1));
    EXPECT_EQ(bridge.DeviceNumber(), 1);
    EXPECT_EQ(bridge.IsOpen(), 0);
}

struct DescriptionCase {
    const char* name;
    int number;
    std::string text;
    int isOpen;
};

class BridgeDescription : public BridgeTest, public ::testing::WithParamInterface<DescriptionCase> {};

TEST_P(BridgeDescription, names_the_device_or_says_it_cannot_be_opened) {
    const DescriptionCase& c = GetParam();
    hid.addDevice("0001");
    hid.addDevice("0002");
    EXPECT_EQ(bridge.DeviceDescription(c.number), c.text);
    EXPECT_EQ(bridge.IsOpen(), c.isOpen);
}

INSTANTIATE_TEST_SUITE_P(
    Link, BridgeDescription,
    ::testing::Values(DescriptionCase{"first", 1, "USB n°1 :  Norvex  HID-QV7     {0001}", 1},
                      DescriptionCase{"second", 2, "USB n°2 :  Norvex  HID-QV7     {0002}", 1},
                      DescriptionCase{"past_the_list", 3, "Impossible d'ouvrir le appareil USB n°3", 0},
                      DescriptionCase{"zero", 0, "Impossible d'ouvrir le appareil USB n°0", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BridgeTest, close_device_forgets_the_number_and_the_open_state) {
    hid.addDevice("0001");
    ASSERT_TRUE(bridge.OpenDevice(1));
    bridge.CloseDevice();
    EXPECT_EQ(bridge.IsOpen(), 0);
    EXPECT_EQ(bridge.DeviceNumber(), 0);
    EXPECT_FALSE(bridge.Thread().Running());
}

// --- output reports ----------------------------------------------------------------------------

TEST_F(BridgeTest, a_modbus_request_goes_out_as_port_format_then_data_report) {
    hid.addDevice("0001");
    openAndConnect();
    const Bytes request = {0xFF, 0x03, 0x00, 0x00, 0x00, 0x0C, 0x50, 0x11};
    bridge.SetModeBit6(true);
    EXPECT_TRUE(bridge.SendFrame(request.data(), static_cast<int>(request.size())));
    ASSERT_TRUE(hid.waitForWritten(0, 2));
    const auto written = hid.written(0);
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0], report65({0x00, 0x01, 0x00, 0x40, 0x00}));
    EXPECT_EQ(written[1], report65({0x00, 0x00, 0x00, 0x88, 0x00}, request));
}

struct SplitCase {
    const char* name;
    int count;
    std::vector<std::uint8_t> lengthBytes; // byte 3 of each data report
};

class BridgeSplit : public BridgeTest, public ::testing::WithParamInterface<SplitCase> {};

TEST_P(BridgeSplit, cuts_a_frame_into_reports_of_at_most_sixty_bytes) {
    const SplitCase& c = GetParam();
    hid.addDevice("0001");
    openAndConnect();
    const Bytes frame = sequence(static_cast<std::size_t>(c.count), 1);
    EXPECT_TRUE(bridge.SendFrame(frame.data(), c.count));
    ASSERT_TRUE(hid.waitForWritten(0, c.lengthBytes.size()));
    const auto written = hid.written(0);
    ASSERT_EQ(written.size(), c.lengthBytes.size());
    std::size_t offset = 0;
    for (std::size_t i = 0; i < written.size(); ++i) {
        const std::size_t n = c.lengthBytes[i] & 0x3F;
        const Bytes slice(frame.begin() + static_cast<long>(offset),
                          frame.begin() + static_cast<long>(offset + n));
        EXPECT_EQ(written[i], report65({0x00, 0x00, 0x00, c.lengthBytes[i], 0x00}, slice)) << "report " << i;
        offset += n;
    }
    EXPECT_EQ(offset, frame.size());
}

INSTANTIATE_TEST_SUITE_P(Link, BridgeSplit,
                         ::testing::Values(SplitCase{"eight_bytes", 8, {0x88}},
                                           SplitCase{"one_byte", 1, {0x81}},
                                           SplitCase{"fifty_nine", 59, {0x80 | 59}},
                                           SplitCase{"sixty_without_last_bit", 60, {60}},
                                           SplitCase{"sixty_one", 61, {60, 0x81}},
                                           SplitCase{"one_hundred_nineteen", 119, {60, 0x80 | 59}},
                                           SplitCase{"one_hundred_twenty", 120, {60, 60}}),
                         [](const auto& info) { return std::string(info.param.name); });

struct ControlCase {
    const char* name;
    int (THIDSerial::*operation)();
    Bytes payload;
};

class BridgeControl : public BridgeTest, public ::testing::WithParamInterface<ControlCase> {};

TEST_P(BridgeControl, sends_its_four_byte_payload) {
    const ControlCase& c = GetParam();
    hid.addDevice("0001");
    openAndConnect();
    EXPECT_EQ((bridge.*c.operation)(), 64);
    ASSERT_TRUE(hid.waitForWritten(0, 1));
    Bytes expected = {0x00};
    expected.insert(expected.end(), c.payload.begin(), c.payload.end());
    EXPECT_EQ(hid.written(0).at(0), report65({}, expected));
}

INSTANTIATE_TEST_SUITE_P(
    Link, BridgeControl,
    ::testing::Values(
        ControlCase{"erase_firmware", &THIDSerial::EraseBridgeFirmware, {0x02, 0xA5, 0x00, 0x00}},
        ControlCase{"write_firmware", &THIDSerial::WriteBridgeFirmware, {0x02, 0x5A, 0x00, 0x00}},
        ControlCase{"reset", &THIDSerial::ResetBridge, {0x02, 0xF5, 0x00, 0x00}},
        ControlCase{"port_format", &THIDSerial::SendPortFormat, {0x01, 0x00, 0x00, 0x00}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BridgeTest, each_port_format_goes_out_as_its_ordinal) {
    hid.addDevice("0001");
    openAndConnect();
    // From the default, every other format and back: one report each, the ordinal in byte 2, and the
    // line timed at its speed (a character of 11 bits, in microseconds rounded up).
    const struct {
        TPortFormat format;
        int baud, characterUs;
    } formats[] = {{TPortFormat::_9600_8E1, 9600, 1146},
                   {TPortFormat::_19200_8E1, 19200, 573},
                   {TPortFormat::_38400_8E1, 38400, 287},
                   {TPortFormat::_9600_8N2, 9600, 1146}};
    for (const auto& f : formats) {
        bridge.SetPortFormat(f.format);
        const qv7::LineFormat line = static_cast<const qv7::FrameLink&>(bridge).lineFormat();
        EXPECT_EQ(line, (qv7::LineFormat{f.baud, 11}));
        EXPECT_EQ(line.characterTime().count(), f.characterUs);
    }
    ASSERT_TRUE(hid.waitForWritten(0, 4));
    const auto written = hid.written(0);
    ASSERT_EQ(written.size(), 4u);
    for (std::uint8_t ordinal : {1, 2, 3, 0})
        EXPECT_EQ(written[ordinal == 0 ? 3 : ordinal - 1], report65({0x00, 0x01, ordinal, 0x00, 0x00}));
}

TEST_F(BridgeTest, setting_the_same_port_format_twice_sends_one_report) {
    hid.addDevice("0001");
    openAndConnect();
    bridge.SetPortFormat(TPortFormat::_19200_8E1);
    bridge.SetPortFormat(TPortFormat::_19200_8E1);
    bridge.ResetBridge(); // a marker: everything before it is on the link once it is
    ASSERT_TRUE(hid.waitForWritten(0, 2));
    const auto written = hid.written(0);
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0], report65({0x00, 0x01, 0x02, 0x00, 0x00}));
    EXPECT_EQ(bridge.PortFormat(), TPortFormat::_19200_8E1);
}

TEST_F(BridgeTest, mode_bits_are_sent_every_time_they_are_set) {
    hid.addDevice("0001");
    openAndConnect();
    bridge.SetModeBit7(true);
    bridge.SetModeBit6(true);
    bridge.SetModeBit6(true);
    ASSERT_TRUE(hid.waitForWritten(0, 3));
    const auto written = hid.written(0);
    EXPECT_EQ(written.at(0), report65({0x00, 0x01, 0x00, 0x80, 0x00}));
    EXPECT_EQ(written.at(1), report65({0x00, 0x01, 0x00, 0xC0, 0x00}));
    EXPECT_EQ(written.at(2), written.at(1));
}

TEST_F(BridgeTest, reports_without_a_device_time_out) {
    EXPECT_EQ(bridge.SendPortFormat(), -2);
    const std::uint8_t frame[] = {0x01};
    EXPECT_FALSE(bridge.SendFrame(frame, 1));
}

// --- reassembly --------------------------------------------------------------------------------

namespace {

// Feeds input reports straight into the bridge's report handler, as the reader thread does.
class Reassembly : public ::testing::Test {
protected:
    Reassembly() {
        bridge.OnRXFrame = [this](TComponent*) {
            frames.emplace_back(bridge.ReceivedFrame(), bridge.ReceivedFrame() + bridge.ReceivedCount());
        };
    }

    void feed(const Bytes& report) {
        TUSBThread& thread = bridge.Thread();
        std::fill(std::begin(thread.ReadBuffer), std::end(thread.ReadBuffer), 0xEE);
        std::copy(report.begin(), report.end(), thread.ReadBuffer);
        bridge.ReportReceived(&thread, static_cast<std::uint32_t>(report.size()));
    }

    FakeHidAccess hid;
    THIDSerial bridge{hid};
    std::vector<Bytes> frames;
};

struct ReassemblyCase {
    const char* name;
    std::vector<Bytes> reports;
    std::vector<Bytes> frames;
};

class ReassemblyTable : public Reassembly, public ::testing::WithParamInterface<ReassemblyCase> {};

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

const Bytes kEmpty = inputReport(0, {});

std::vector<ReassemblyCase> reassemblyCases() {
    const Bytes a = sequence(60, 0), b = sequence(60, 60), c = sequence(60, 120), d = sequence(60, 180);
    return {
        {"one_report_then_empty_gives_one_frame",
         {inputReport(29, sequence(29, 1)), kEmpty},
         {sequence(29, 1)}},
        {"three_reports_make_one_frame",
         {inputReport(3, {1, 2, 3}), inputReport(5, {4, 5, 6, 7, 8}), kEmpty},
         {sequence(8, 1)}},
        {"empty_reports_while_idle_raise_nothing", {kEmpty, kEmpty}, {}},
        {"a_further_empty_report_raises_nothing", {inputReport(1, {9}), kEmpty, kEmpty}, {{9}}},
        {"upper_bits_of_the_length_byte_are_ignored", {inputReport(0xC2, {4, 5}), kEmpty}, {{4, 5}}},
        {"a_report_reaching_255_bytes_is_dropped_whole",
         {inputReport(60, a), inputReport(60, b), inputReport(60, c), inputReport(60, d),
          inputReport(20, sequence(20, 0)), inputReport(14, sequence(14, 240)), kEmpty},
         {concat({a, b, c, d, sequence(14, 240)})}},
        {"a_report_reaching_exactly_255_bytes_is_dropped",
         {inputReport(60, a), inputReport(60, b), inputReport(60, c), inputReport(60, d),
          inputReport(15, sequence(15, 240)), kEmpty},
         {concat({a, b, c, d})}},
        {"two_frames_in_a_row", {inputReport(1, {1}), kEmpty, inputReport(2, {2, 3}), kEmpty}, {{1}, {2, 3}}},
    };
}

} // namespace

TEST_P(ReassemblyTable, frames_end_on_the_first_empty_report) {
    for (const Bytes& report : GetParam().reports)
        feed(report);
    EXPECT_EQ(frames, GetParam().frames);
    EXPECT_FALSE(bridge.FrameActive());
    EXPECT_EQ(bridge.ReceivedCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Link, ReassemblyTable, ::testing::ValuesIn(reassemblyCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Reassembly, a_length_beyond_the_report_takes_only_the_bytes_present) {
    Bytes report = inputReport(63, sequence(60, 1)); // 65 bytes hold 60 data bytes
    feed(report);
    EXPECT_TRUE(bridge.FrameActive());
    EXPECT_TRUE(bridge.AwaitingInput()); // the reader must not rest before the closing report
    EXPECT_EQ(bridge.ReceivedCount(), 60u);
    feed(kEmpty);
    EXPECT_FALSE(bridge.AwaitingInput());
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], sequence(60, 1));
}

TEST_F(Reassembly, a_short_report_takes_no_stale_bytes) {
    feed(inputReport(3, {1, 2, 3}));
    feed(Bytes{0, 0, 0, 5, 0, 7}); // claims 5 bytes, carries 1
    feed(Bytes{0, 0, 0});          // no length byte at all: empty
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], (Bytes{1, 2, 3, 7}));
}

TEST_F(BridgeTest, frames_arrive_through_the_reader_thread) {
    hid.addDevice("0001");
    EventLog frames;
    bridge.OnRXFrame = [&](TComponent*) {
        frames.addFrame(Bytes(bridge.ReceivedFrame(), bridge.ReceivedFrame() + bridge.ReceivedCount()));
    };
    openAndConnect();
    hid.queueInput(0, {inputReport(0x1D, sequence(29, 1)), kEmpty, inputReport(3, {1, 2, 3}),
                       inputReport(5, {4, 5, 6, 7, 8}), kEmpty, kEmpty});
    EXPECT_TRUE(frames.waitFrames(2));
    EXPECT_TRUE(hid.waitForInputTaken(0));
    hid.queueInput(0, {inputReport(1, {0xAA}), kEmpty});
    const bool third = frames.waitFrames(3);
    bridge.CloseDevice(); // the handler refers to this test's locals
    ASSERT_TRUE(third);
    const auto got = frames.frames();
    ASSERT_EQ(got.size(), 3u) << "idle reports between frames raise nothing";
    EXPECT_EQ(got[0], sequence(29, 1));
    EXPECT_EQ(got[1], sequence(8, 1));
    EXPECT_EQ(got[2], Bytes{0xAA});
}
