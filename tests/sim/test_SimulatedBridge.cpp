#include "tests/sim/HostSide.h"
#include "tests/support/Signal.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <mutex>
#include <thread>

using namespace qv7;
using namespace qv7::test;
using namespace std::chrono_literals;

namespace {

// Answers every data report with a fixed reply and keeps what it heard.
class FixedPeer : public SerialPeer {
public:
    explicit FixedPeer(Bytes reply, std::chrono::microseconds delay = {})
        : reply_(std::move(reply)), delay_(delay) {}
    std::vector<std::uint8_t> receiveSerial(std::span<const std::uint8_t> bytes) override {
        std::lock_guard lock(mutex_);
        heard_.emplace_back(bytes.begin(), bytes.end());
        return reply_;
    }
    SerialAnswer answerSerial(std::span<const std::uint8_t> bytes) override {
        return {receiveSerial(bytes), delay_};
    }
    std::vector<Bytes> heard() const {
        std::lock_guard lock(mutex_);
        return heard_;
    }

private:
    Bytes reply_;
    std::chrono::microseconds delay_;
    mutable std::mutex mutex_;
    std::vector<Bytes> heard_;
};

Bytes sequence(std::size_t n, std::uint8_t first = 1) {
    Bytes bytes(n);
    for (std::size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<std::uint8_t>(first + i);
    return bytes;
}

const Bytes Request{0xFF, 0x03, 0x00, 0x00, 0x00, 0x0C, 0x50, 0x11};

} // namespace

TEST(SimulatedBridgeEnumeration, lists_plugged_bridges_in_the_order_they_were_added) {
    SimulatedBridge bridge;
    const int a = bridge.addBridge("0001");
    const int b = bridge.addBridge("0002");
    const int c = bridge.addBridge("0003");
    EXPECT_EQ(bridge.enumerate(0x0451, 0x0026),
              (std::vector<std::string>{bridge.path(a), bridge.path(b), bridge.path(c)}));
    bridge.unplug(b);
    EXPECT_EQ(bridge.enumerate(0x0451, 0x0026), (std::vector<std::string>{bridge.path(a), bridge.path(c)}));
}

TEST(SimulatedBridgeEnumeration, other_vendor_or_product_finds_nothing) {
    SimulatedBridge bridge;
    bridge.addBridge("0001");
    EXPECT_TRUE(bridge.enumerate(0x0451, 0x0004).empty());
    EXPECT_TRUE(bridge.enumerate(0x0452, 0x0026).empty());
}

TEST(SimulatedBridgeEnumeration, handle_reports_identity_and_report_lengths) {
    SimulatedBridge bridge;
    const int index = bridge.addBridge("0042");
    auto handle = bridge.open(bridge.path(index));
    ASSERT_TRUE(handle);
    EXPECT_EQ(handle->attributes()->vendorId, 0x0451);
    EXPECT_EQ(handle->attributes()->productId, 0x0026);
    EXPECT_EQ(handle->manufacturer(), "Norvex");
    EXPECT_EQ(handle->product(), "HID-QV7   ");
    EXPECT_EQ(handle->serialNumber(), "0042");
    EXPECT_EQ(handle->reportLengths()->input, 65);
    EXPECT_EQ(handle->reportLengths()->output, 65);
    bridge.setStrings(index, "Other", "HID-QV7");
    EXPECT_EQ(handle->manufacturer(), "Other");
    EXPECT_EQ(handle->product(), "HID-QV7");
}

class SimulatedBridgeBadPath : public testing::TestWithParam<std::string> {};

TEST_P(SimulatedBridgeBadPath, does_not_open) {
    SimulatedBridge bridge;
    bridge.addBridge("0001");
    EXPECT_EQ(bridge.open(GetParam()), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Paths, SimulatedBridgeBadPath,
                         testing::Values("", "simulated:bridge", "simulated:bridge1", "simulated:bridge-1",
                                         "simulated:bridge0x", "simulated:bridge 0", "/dev/hidraw0"));

TEST(SimulatedBridgeInput, idle_bridge_sends_an_empty_report_every_period) {
    SimulatedBridge bridge;
    const int index = bridge.addBridge("0001");
    HostSide host(bridge, index);
    for (int i = 0; i < 5; ++i) {
        const Bytes report = host.read();
        ASSERT_EQ(report.size(), 65u);
        EXPECT_EQ(report, Bytes(65, 0));
    }
    EXPECT_EQ(bridge.inputReportCount(index), 5u);
}

TEST(SimulatedBridgeInput, short_read_buffer_gets_the_start_of_the_report) {
    FixedPeer peer(sequence(8));
    SimulatedBridge bridge;
    HostSide host(bridge, bridge.addBridge("0001", &peer));
    host.send(Request);
    Bytes start(10);
    ASSERT_EQ(host.handle().readReport(start.data(), start.size(), 1000), 10);
    EXPECT_EQ(start, (Bytes{0, 0, 0, 8, 0, 1, 2, 3, 4, 5}));
}

struct Split {
    std::size_t answer;
    std::vector<std::size_t> reports;
};

class SimulatedBridgeAnswer : public testing::TestWithParam<Split> {};

TEST_P(SimulatedBridgeAnswer, comes_in_data_reports_then_one_empty_report) {
    const Bytes answer = sequence(GetParam().answer);
    FixedPeer peer(answer);
    SimulatedBridge bridge;
    HostSide host(bridge, bridge.addBridge("0001", &peer));
    host.send(Request);
    Bytes received;
    for (std::size_t expected : GetParam().reports) {
        const Bytes report = host.read();
        ASSERT_EQ(report.size(), 65u);
        ASSERT_EQ(HostSide::length(report), expected);
        EXPECT_EQ(report[1], 0);
        EXPECT_EQ(report[2], 0);
        EXPECT_EQ(report[4], 0);
        received.insert(received.end(), report.begin() + 5, report.begin() + 5 + static_cast<int>(expected));
    }
    EXPECT_EQ(HostSide::length(host.read()), 0u);
    EXPECT_EQ(received, answer);
}

// The answer of 70 bytes needs two reports: a 65-byte report has room for 60 serial bytes only.
INSTANTIATE_TEST_SUITE_P(Lengths, SimulatedBridgeAnswer,
                         testing::Values(Split{1, {1, 0}}, Split{29, {29, 0}}, Split{60, {60, 0}},
                                         Split{61, {60, 1, 0}}, Split{70, {60, 10, 0}},
                                         Split{200, {60, 60, 60, 20, 0}}));

TEST(SimulatedBridgeInput, every_answer_is_closed_by_its_own_empty_report) {
    FixedPeer peer(sequence(8));
    SimulatedBridge bridge;
    HostSide host(bridge, bridge.addBridge("0001", &peer));
    host.send(Request);
    host.send(Request);
    EXPECT_EQ(host.readFrame(), sequence(8));
    EXPECT_EQ(host.readFrame(), sequence(8));
    EXPECT_EQ(HostSide::length(host.read()), 0u);
}

TEST(SimulatedBridgeOutput, data_report_hands_its_serial_bytes_to_the_peer) {
    FixedPeer peer({});
    SimulatedBridge bridge;
    HostSide host(bridge, bridge.addBridge("0001", &peer));
    host.write(dataReport(Request));            // length 88 hex: 8 bytes, last report
    host.write(dataReport(sequence(60), 60));   // a full report without the last-report bit
    host.write(dataReport(sequence(60), 0x3F)); // a length past the report is cut to what fits
    host.write(dataReport({}, 0x80));           // nothing to hand over
    EXPECT_EQ(peer.heard(), (std::vector<Bytes>{Request, sequence(60), sequence(60)}));
}

TEST(SimulatedBridgeOutput, every_report_is_recorded_exactly_as_written) {
    SimulatedBridge bridge;
    const int index = bridge.addBridge("0001");
    HostSide host(bridge, index);
    const std::vector<Bytes> written{commandReport(1, 0, 0x40), dataReport(Request),
                                     commandReport(2, 0xF5, 0), commandReport(1, 2, 0x00),
                                     commandReport(2, 0xA5, 0), commandReport(2, 0x5A, 0)};
    for (const Bytes& report : written)
        EXPECT_EQ(host.write(report), 65);
    EXPECT_EQ(bridge.outputReports(index), written);
    EXPECT_EQ(bridge.portFormat(index), 2);
    EXPECT_EQ(bridge.portFlags(index), 0);
    bridge.clearOutputReports(index);
    EXPECT_TRUE(bridge.outputReports(index).empty());
}

TEST(SimulatedBridgeOutput, malformed_reports_are_refused_and_not_recorded) {
    SimulatedBridge bridge;
    const int index = bridge.addBridge("0001");
    HostSide host(bridge, index);
    Bytes numbered = commandReport(1, 0, 0);
    numbered[0] = 1;
    EXPECT_EQ(host.write(numbered), -1);
    EXPECT_EQ(host.write(Bytes(66, 0)), -1);
    EXPECT_EQ(host.handle().writeReport(nullptr, 65), -1);
    EXPECT_EQ(host.handle().writeReport(numbered.data(), 0), -1);
    EXPECT_TRUE(bridge.outputReports(index).empty());
}

TEST(SimulatedBridgeOutput, waiting_for_reports_ends_when_they_are_written_or_on_time_out) {
    SimulatedBridge bridge;
    const int index = bridge.addBridge("0001");
    HostSide host(bridge, index);
    EXPECT_FALSE(bridge.waitForOutputReports(index, 1, 5ms));
    std::thread writer([&] {
        host.write(commandReport(1, 0, 0x40));
        host.write(dataReport(Request));
    });
    EXPECT_TRUE(bridge.waitForOutputReports(index, 2, 10s));
    writer.join();
    EXPECT_EQ(bridge.outputReports(index).size(), 2u);
}

TEST(SimulatedBridgePlugging, unplugged_bridge_fails_open_and_the_open_handle_fails_its_io) {
    FixedPeer peer(sequence(8));
    SimulatedBridge bridge;
    const int index = bridge.addBridge("0001", &peer);
    HostSide old(bridge, index);
    bridge.unplug(index);
    EXPECT_TRUE(bridge.enumerate(0x0451, 0x0026).empty());
    EXPECT_EQ(bridge.open(bridge.path(index)), nullptr);
    Bytes buffer(65);
    EXPECT_EQ(old.handle().readReport(buffer.data(), buffer.size(), 10), -1);
    EXPECT_EQ(old.write(dataReport(Request)), -1);
    EXPECT_FALSE(old.handle().manufacturer());

    bridge.plug(index);
    EXPECT_EQ(bridge.enumerate(0x0451, 0x0026).size(), 1u);
    EXPECT_EQ(old.handle().readReport(buffer.data(), buffer.size(), 10), -1)
        << "a replugged device is a new one";
    HostSide fresh(bridge, index);
    EXPECT_EQ(fresh.exchange(Request), sequence(8));
}

TEST(SimulatedBridgePlugging, unplug_drops_an_answer_on_its_way_back) {
    FixedPeer peer(sequence(8));
    SimulatedBridge bridge;
    const int index = bridge.addBridge("0001", &peer);
    {
        HostSide host(bridge, index);
        host.send(Request);
    }
    bridge.unplug(index);
    bridge.plug(index);
    HostSide host(bridge, index);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(HostSide::length(host.read()), 0u);
}

TEST(SimulatedBridgePlugging, unplug_wakes_a_reader_waiting_on_a_silent_bridge) {
    SimulatedBridge bridge;
    const int index = bridge.addBridge("0001");
    HostSide host(bridge, index);
    bridge.setSilent(index, true);
    std::atomic<int> result{1};
    std::thread reader([&] {
        Bytes buffer(65);
        result = host.handle().readReport(buffer.data(), buffer.size(), -1);
    });
    bridge.unplug(index);
    reader.join();
    EXPECT_EQ(result, -1);
}

TEST(SimulatedBridgePlugging, fail_open_keeps_the_bridge_listed_but_closed) {
    SimulatedBridge bridge;
    const int index = bridge.addBridge("0001");
    bridge.setFailOpen(index, true);
    EXPECT_EQ(bridge.enumerate(0x0451, 0x0026).size(), 1u);
    EXPECT_EQ(bridge.open(bridge.path(index)), nullptr);
    bridge.setFailOpen(index, false);
    EXPECT_NE(bridge.open(bridge.path(index)), nullptr);
}

TEST(SimulatedBridgePlugging, handle_outliving_the_bridge_fails_its_io) {
    std::unique_ptr<HidHandle> handle;
    {
        SimulatedBridge bridge;
        handle = bridge.open(bridge.path(bridge.addBridge("0001")));
        ASSERT_TRUE(handle);
    }
    Bytes buffer(65);
    EXPECT_EQ(handle->readReport(buffer.data(), buffer.size(), 10), -1);
    EXPECT_EQ(handle->writeReport(buffer.data(), buffer.size()), -1);
}

TEST(SimulatedBridgeSilence, silent_bridge_reads_time_out_until_it_speaks_again) {
    SimulatedBridge bridge;
    const int index = bridge.addBridge("0001");
    HostSide host(bridge, index);
    bridge.setSilent(index, true);
    Bytes buffer(65);
    EXPECT_EQ(host.handle().readReport(buffer.data(), buffer.size(), 5), 0);
    EXPECT_EQ(host.handle().readReport(buffer.data(), buffer.size(), 0), 0);
    bridge.setSilent(index, false);
    EXPECT_EQ(host.handle().readReport(buffer.data(), buffer.size(), 1000), 65);
}

struct LineCase {
    std::uint8_t portFormat;
    int baud;
};

class SimulatedBridgeSerialTiming : public testing::TestWithParam<LineCase> {};

// The answer cannot come before both frames were on the line: at one report per period, at least that
// many reports pass first, however fast the reader is.
TEST_P(SimulatedBridgeSerialTiming, delays_the_answer_by_its_time_on_the_line) {
    FixedPeer peer(sequence(8));
    SimulatedBridge bridge(1ms);
    const int index = bridge.addBridge("0001", &peer);
    bridge.setSerialTiming(true);
    HostSide host(bridge, index);
    host.write(commandReport(1, GetParam().portFormat, 0x40));
    host.read();
    host.send(Request);
    int emptyBefore = -1;
    EXPECT_EQ(host.readFrame(200, &emptyBefore), sequence(8));
    const double lineMs = 16.0 * 11 * 1000 / GetParam().baud;
    EXPECT_GE(emptyBefore, static_cast<int>(std::ceil(lineMs)) - 1);
}

INSTANTIATE_TEST_SUITE_P(PortFormats, SimulatedBridgeSerialTiming,
                         testing::Values(LineCase{0, 9600}, LineCase{1, 9600}, LineCase{2, 19200},
                                         LineCase{3, 38400}));

TEST(SimulatedBridgeSerialTiming, off_by_default_the_answer_comes_in_the_next_report) {
    FixedPeer peer(sequence(8));
    SimulatedBridge bridge;
    HostSide host(bridge, bridge.addBridge("0001", &peer));
    host.read();
    host.send(Request);
    int emptyBefore = -1;
    EXPECT_EQ(host.readFrame(10, &emptyBefore), sequence(8));
    EXPECT_EQ(emptyBefore, 0);
}

TEST(SimulatedBridgeSerialTiming, peer_delay_holds_the_answer_back_by_report_periods) {
    FixedPeer peer(sequence(8), 10ms);
    SimulatedBridge bridge(1ms);
    HostSide host(bridge, bridge.addBridge("0001", &peer));
    host.read();
    host.send(Request);
    int emptyBefore = -1;
    EXPECT_EQ(host.readFrame(200, &emptyBefore), sequence(8));
    EXPECT_GE(emptyBefore, 9);
}

// A reader thread on the handle while the test thread writes, inspects and re-plugs: the shape of the
// link at run time, for the thread sanitizer.
TEST(SimulatedBridgeThreads, reader_and_writer_threads_share_the_bridge) {
    FixedPeer peer(sequence(8));
    SimulatedBridge bridge(100us);
    const int index = bridge.addBridge("0001", &peer);
    HostSide host(bridge, index);
    Signal arrived;
    std::atomic<int> frames{0};
    std::atomic<bool> stop{false};
    std::thread reader([&] {
        Bytes buffer(65);
        bool inFrame = false;
        while (!stop) {
            const int n = host.handle().readReport(buffer.data(), buffer.size(), 20);
            if (n <= 0) continue;
            const bool data = (buffer[3] & 0x3F) != 0;
            if (!data && inFrame) {
                ++frames;
                arrived.notify();
            }
            inFrame = data;
        }
    });
    constexpr int Requests = 40;
    for (int i = 0; i < Requests; ++i) {
        ASSERT_EQ(host.write(dataReport(Request)), 65);
        ASSERT_TRUE(arrived.waitFor([&] { return frames > i; }, 10s));
        EXPECT_EQ(bridge.outputReports(index).size(), static_cast<std::size_t>(i + 1));
    }
    stop = true;
    reader.join();
    EXPECT_EQ(frames, Requests);
    EXPECT_EQ(peer.heard().size(), static_cast<std::size_t>(Requests));
}
