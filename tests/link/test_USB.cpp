// The HID device and its reader thread over a scripted HidAccess: enumeration, device strings,
// connection edges, the write hand-off and stopping.
#include "FakeHidAccess.h"

#include "link/Item.h"
#include "link/USB.h"

#include <gtest/gtest.h>

using namespace qv7::test;

namespace {

class DeviceTest : public ::testing::Test {
protected:
    DeviceTest() { device.Pid = BridgePid; }
    ~DeviceTest() override { device.StopReader(); }

    // Attaches a device and waits until the reader thread has opened it.
    void attachAndConnect(int index) {
        events.watchConnection(device);
        ASSERT_TRUE(device.AttachDevice(index));
        ASSERT_TRUE(events.waitConnects(1));
    }

    FakeHidAccess hid;
    THIDDevice device{hid};
    EventLog events;
};

} // namespace

TEST(ItemList, index_outside_the_list_gives_the_empty_string) {
    TItemList list;
    EXPECT_EQ(list.Add("a"), 1);
    EXPECT_EQ(list.Add("b"), 2);
    EXPECT_EQ(list.Item(1), "b");
    EXPECT_EQ(list.Item(2), "");
    EXPECT_EQ(list.Item(-1), "");
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Item(0), "");
}

TEST_F(DeviceTest, two_matching_devices_are_listed_in_enumeration_order) {
    hid.addDevice("0001");
    hid.addDevice("other", "Norvex", "HID-QV7   ", 0x0027);
    hid.addDevice("0002");
    ASSERT_EQ(device.Enumerate(), 2);
    EXPECT_EQ(device.GetDevicePath(0), hid.path(0));
    EXPECT_EQ(device.GetDevicePath(1), hid.path(2));
    EXPECT_EQ(device.GetDevicePath(2), "");
}

TEST_F(DeviceTest, select_device_counts_from_zero_and_refuses_an_index_past_the_list) {
    hid.addDevice("0001");
    hid.addDevice("0002");
    EXPECT_TRUE(device.SelectDevice(1));
    EXPECT_EQ(device.Thread().DevicePath, hid.path(1));
    EXPECT_FALSE(device.SelectDevice(2));
    EXPECT_FALSE(device.SelectDevice(-1));
    EXPECT_EQ(device.Thread().DevicePath, hid.path(1));
}

TEST_F(DeviceTest, without_devices_nothing_is_selected_and_no_thread_starts) {
    EXPECT_EQ(device.Enumerate(), 0);
    EXPECT_FALSE(device.SelectDevice(0));
    EXPECT_FALSE(device.AttachDevice(0));
    EXPECT_FALSE(device.Thread().Running());
}

TEST_F(DeviceTest, a_device_that_no_longer_opens_is_not_listed) {
    hid.addDevice("0001");
    hid.setFailOpen(0, true);
    EXPECT_EQ(device.Enumerate(), 0);
}

TEST_F(DeviceTest, attach_takes_the_report_lengths_of_the_device) {
    hid.addDevice("0001");
    hid.change(0, [](FakeHidAccess::Device& d) { d.lengths = qv7::HidReportLengths{33, 9}; });
    ASSERT_TRUE(device.AttachDevice(0));
    EXPECT_EQ(device.OutputReportLength, 9);
    EXPECT_EQ(device.Caps.input, 33);
    EXPECT_EQ(device.Caps.output, 9);
}

TEST_F(DeviceTest, attach_fails_when_the_report_lengths_are_unknown) {
    hid.addDevice("0001");
    hid.change(0, [](FakeHidAccess::Device& d) { d.lengths.reset(); });
    EXPECT_FALSE(device.AttachDevice(0));
    EXPECT_EQ(device.OutputReportLength, 0);
}

struct StringCase {
    const char* name;
    std::string (THIDDevice::*getter)(int);
    std::string whenOpen;
    std::string whenUnopened;
};

class DeviceStrings : public DeviceTest, public ::testing::WithParamInterface<StringCase> {};

TEST_P(DeviceStrings, are_read_from_an_open_device_and_default_when_it_does_not_open) {
    const StringCase& c = GetParam();
    hid.addDevice("0001", "Norvex", "HID-QV7   ");
    ASSERT_EQ(device.Enumerate(), 1);
    EXPECT_EQ((device.*c.getter)(1), c.whenOpen);
    EXPECT_EQ((device.*c.getter)(2), "") << "past the list";
    EXPECT_EQ((device.*c.getter)(0), "") << "numbers count from 1";
    hid.setFailOpen(0, true);
    EXPECT_EQ((device.*c.getter)(1), c.whenUnopened);
}

TEST_P(DeviceStrings, default_when_the_device_does_not_give_them) {
    const StringCase& c = GetParam();
    hid.addDevice("0001");
    hid.change(0, [](FakeHidAccess::Device& d) { d.manufacturer = d.product = d.serial = std::nullopt; });
    ASSERT_EQ(device.Enumerate(), 1);
    EXPECT_EQ((device.*c.getter)(1), c.whenUnopened);
}

INSTANTIATE_TEST_SUITE_P(
    Link, DeviceStrings,
    ::testing::Values(StringCase{"manufacturer", &THIDDevice::ManufacturerString, "Norvex", ""},
                      StringCase{"product", &THIDDevice::ProductString, "HID-QV7   ", ""},
                      StringCase{"serial", &THIDDevice::SerialNumberString, "0001", "unknown"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeviceTest, connect_and_disconnect_are_raised_once_per_edge) {
    hid.addDevice("0001");
    attachAndConnect(0);
    hid.unplug(0);
    ASSERT_TRUE(events.waitDisconnects(1));
    hid.plug(0);
    ASSERT_TRUE(events.waitConnects(2));
    hid.unplug(0);
    ASSERT_TRUE(events.waitDisconnects(2));
    // Many failed and successful cycles lie between these edges; none raised a second event.
    EXPECT_EQ(events.connects(), 2);
    EXPECT_EQ(events.disconnects(), 2);
}

TEST_F(DeviceTest, selecting_the_same_device_again_raises_connect_again) {
    hid.addDevice("0001");
    attachAndConnect(0);
    ASSERT_TRUE(device.SelectDevice(0));
    ASSERT_TRUE(events.waitConnects(2));
    EXPECT_EQ(events.disconnects(), 0);
}

TEST_F(DeviceTest, a_report_is_padded_behind_a_zero_identifier_and_written) {
    hid.addDevice("0001");
    attachAndConnect(0);
    const std::uint8_t payload[] = {0x11, 0x22, 0x33};
    EXPECT_EQ(device.WriteReport(payload, 3), 64);
    ASSERT_TRUE(hid.waitForWritten(0, 1));
    Bytes expected(65, 0);
    expected[1] = 0x11;
    expected[2] = 0x22;
    expected[3] = 0x33;
    EXPECT_EQ(hid.written(0).at(0), expected);
}

TEST_F(DeviceTest, a_report_written_while_unplugged_is_dropped_with_the_success_value) {
    hid.addDevice("0001");
    attachAndConnect(0);
    hid.unplug(0);
    ASSERT_TRUE(events.waitDisconnects(1));
    const std::uint8_t payload[] = {0x01};
    EXPECT_EQ(device.WriteReport(payload, 1), 64);
    hid.plug(0);
    ASSERT_TRUE(events.waitConnects(2));
    EXPECT_TRUE(hid.written(0).empty());
}

TEST_F(DeviceTest, write_before_any_selection_fails_at_once) {
    EXPECT_EQ(device.ReceivedLength(), 0u) << "no report read yet";
    const std::uint8_t payload[] = {0x01};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(device.WriteReport(payload, 1), -2);
    // No reader thread runs to take it: the writer is not kept waiting for the hand-off limit.
    EXPECT_LT(std::chrono::steady_clock::now() - start, TCustomUSB::HandOffLimit);
}

TEST_F(DeviceTest, a_failing_write_keeps_the_report_and_is_no_disconnection) {
    hid.addDevice("0001");
    attachAndConnect(0);
    const std::uint8_t first[] = {0x11};
    const std::uint8_t second[] = {0x22};
    // A few failures within the hand-off limit: the report stays in the slot until it goes out.
    hid.failWrites(0, 3);
    EXPECT_EQ(device.WriteReport(first, 1), 64);
    // Failures past the limit: the writer gives up, the report still waits in the slot.
    hid.failWrites(0, 1000000);
    EXPECT_EQ(device.WriteReport(second, 1), -2);
    hid.failWrites(0, 0);
    ASSERT_TRUE(hid.waitForWritten(0, 2));
    EXPECT_EQ(hid.written(0)[0][1], 0x11);
    EXPECT_EQ(hid.written(0)[1][1], 0x22);
    EXPECT_EQ(events.disconnects(), 0);
    EXPECT_EQ(events.connects(), 1);
}

TEST_F(DeviceTest, a_short_write_is_no_write_and_the_whole_report_goes_again) {
    hid.addDevice("0001");
    attachAndConnect(0);
    const std::uint8_t payload[] = {0x11, 0x22};
    hid.shortenWrites(0, 1000000);
    EXPECT_EQ(device.WriteReport(payload, 2), -2) << "a report the device took in part is not written";
    hid.shortenWrites(0, 0);
    ASSERT_TRUE(hid.waitForWritten(0, 1));
    const Bytes report = hid.written(0).at(0);
    ASSERT_EQ(report.size(), 65u);
    EXPECT_EQ(report[1], 0x11);
    EXPECT_EQ(report[2], 0x22);
}

TEST_F(DeviceTest, selecting_another_device_lets_go_of_the_first_one) {
    hid.addDevice("0001");
    hid.addDevice("0002");
    attachAndConnect(0);
    ASSERT_TRUE(device.AttachDevice(1));
    ASSERT_TRUE(events.waitConnects(2));
    EXPECT_EQ(hid.openHandles(), 1) << "the first device's handle is closed";
    const std::uint8_t payload[] = {0x33};
    EXPECT_EQ(device.WriteReport(payload, 1), 64);
    ASSERT_TRUE(hid.waitForWritten(1, 1));
    EXPECT_TRUE(hid.written(0).empty()) << "nothing goes to the device no longer selected";
}

TEST_F(DeviceTest, a_selected_device_that_is_not_read_stays_connected_and_takes_reports) {
    hid.addDevice("0001");
    events.watchConnection(device);
    ASSERT_TRUE(device.SelectDevice(0)); // no report lengths: the thread does not read
    ASSERT_TRUE(events.waitConnects(1));
    const std::uint8_t payload[] = {0x42};
    EXPECT_EQ(device.TCustomUSB::WriteReport(payload, 1), 1);
    EXPECT_EQ(device.TCustomUSB::WriteReport(payload, 1), 1);
    EXPECT_EQ(events.disconnects(), 0);
    EXPECT_EQ(events.connects(), 1);
}

TEST_F(DeviceTest, a_silent_device_stays_connected_and_still_takes_reports) {
    hid.addDevice("0001");
    hid.setSilent(0, true);
    attachAndConnect(0);
    const std::uint8_t payload[] = {0x42};
    // Read time-outs are no failures: the cycle goes on to the write.
    EXPECT_EQ(device.WriteReport(payload, 1), 64);
    ASSERT_TRUE(hid.waitForWritten(0, 1));
    EXPECT_EQ(events.disconnects(), 0);
}

TEST_F(DeviceTest, stop_reader_ends_a_thread_whose_device_is_silent) {
    hid.addDevice("0001");
    hid.setSilent(0, true);
    attachAndConnect(0);
    ASSERT_TRUE(device.Thread().Running());
    device.StopReader();
    EXPECT_FALSE(device.Thread().Running());
    const std::uint8_t payload[] = {0x01};
    EXPECT_EQ(device.WriteReport(payload, 1), -2) << "nobody takes the slot after the stop";
}

TEST_F(DeviceTest, every_report_read_is_announced_with_its_length) {
    hid.addDevice("0001");
    std::mutex mutex;
    std::condition_variable seen;
    std::vector<Bytes> reports;
    device.OnRXFrame = [&](TComponent*) {
        Bytes payload(64);
        device.ReadReport(payload.data(), 64);
        std::lock_guard lock(mutex);
        reports.push_back(payload);
        reports.back().resize(device.ReceivedLength() - 1);
        seen.notify_all();
    };
    attachAndConnect(0);
    hid.queueInput(0, {inputReport(3, {7, 8, 9})});
    const auto isData = [](const Bytes& r) { return r.at(2) == 3; };
    std::vector<Bytes> seenReports;
    {
        std::unique_lock lock(mutex);
        EXPECT_TRUE(seen.wait_for(lock, std::chrono::seconds(2),
                                  [&] { return std::any_of(reports.begin(), reports.end(), isData); }));
        seenReports = reports;
    }
    device.StopReader(); // the handler refers to this test's locals
    const auto data = std::find_if(seenReports.begin(), seenReports.end(), isData);
    ASSERT_NE(data, seenReports.end());
    EXPECT_EQ(data->size(), 64u);
    EXPECT_EQ((*data)[4], 7);
    EXPECT_EQ((*data)[6], 9);
}

TEST(DeviceLifetime, destroying_a_running_device_stops_its_thread) {
    FakeHidAccess hid;
    hid.addDevice("0001");
    EventLog events;
    {
        THIDDevice device(hid);
        device.Pid = BridgePid;
        events.watchConnection(device);
        ASSERT_TRUE(device.AttachDevice(0));
        ASSERT_TRUE(events.waitConnects(1));
        ASSERT_GT(hid.openHandles(), 0);
    }
    // The reader thread was joined and let go of the path it kept open.
    EXPECT_EQ(hid.openHandles(), 0);
}

TEST(DeviceLifetime, pipe_write_fails_where_no_pipe_path_exists) {
    FakeHidAccess hid;
    hid.addDevice("0001");
    THIDDevice device(hid);
    device.Pid = BridgePid;
    ASSERT_TRUE(device.SelectDevice(0));
    const std::uint8_t payload[] = {0x01};
    EXPECT_EQ(device.PipeWrite(payload, 1), -1);
    EXPECT_EQ(device.PipeWrite(payload, 0), 0) << "nothing to write: no path is opened";
    device.StopReader();
}

// ---------------------------------------------------------------------------------------------
// The reader at rest: idle, it sleeps and then takes what queued at once; awaiting input, it takes
// each report as it comes.

namespace {

// A device whose upper layers wait for input when the test says so.
class ListeningDevice : public THIDDevice {
public:
    using THIDDevice::THIDDevice;
    bool AwaitingInput() const override { return awaiting.load(); }
    std::atomic<bool> awaiting{false};
};

class ReaderRest : public ::testing::Test {
protected:
    ReaderRest() {
        device.Pid = BridgePid;
        hid.addDevice("0001");
        device.OnRXFrame = [this](TComponent*) { ++announced; };
        events.watchConnection(device);
    }
    ~ReaderRest() override { device.StopReader(); }

    void attach() {
        ASSERT_TRUE(device.AttachDevice(0));
        ASSERT_TRUE(events.waitConnects(1));
    }

    FakeHidAccess hid;
    ListeningDevice device{hid};
    EventLog events;
    std::atomic<int> announced{0};
};

constexpr auto LongRest = std::chrono::hours(1);

} // namespace

TEST_F(ReaderRest, an_idle_reader_never_waits_on_the_device_and_drains_the_queue) {
    attach();
    hid.queueInput(0, {inputReport(1, {0x11}), inputReport(1, {0x22}), inputReport(0, {})});
    ASSERT_TRUE(hid.waitForInputTaken(0));
    const auto d = hid.snapshot(0);
    EXPECT_EQ(d.waitingReads, 0);
    EXPECT_GE(d.pollingReads, 3);
}

TEST_F(ReaderRest, a_reader_awaiting_input_waits_for_each_report) {
    device.awaiting = true;
    attach();
    ASSERT_TRUE(hid.waitForReads(0, 5));
    device.StopReader();
    const auto d = hid.snapshot(0);
    EXPECT_EQ(d.pollingReads, 0);
    EXPECT_GE(d.waitingReads, 5);
}

TEST_F(ReaderRest, reads_that_time_out_while_awaiting_input_are_no_disconnection) {
    device.awaiting = true;
    device.Thread().ReadTimeoutMs = 1;
    hid.setSilent(0, true); // not even the bridge's empty reports: every read times out
    attach();
    ASSERT_TRUE(hid.waitForReads(0, 5));
    device.StopReader();
    EXPECT_EQ(events.disconnects(), 0);
}

TEST_F(ReaderRest, a_write_ends_the_rest_and_goes_out_after_what_had_queued) {
    device.Thread().RestInterval = LongRest;
    attach();
    hid.queueInput(0, {inputReport(1, {0x11}), inputReport(0, {})});
    const std::uint8_t payload[] = {0x5A};
    EXPECT_EQ(device.WriteReport(payload, 1), 64) << "taken within the hand-off limit, not after the rest";
    ASSERT_TRUE(hid.waitForWritten(0, 1));
    EXPECT_EQ(hid.snapshot(0).queuedAtWrite, (std::vector<std::size_t>{0}));
    EXPECT_GE(announced.load(), 2);
}

TEST_F(ReaderRest, a_stop_ends_the_rest) {
    device.Thread().RestInterval = LongRest;
    attach(); // connected: the reader goes straight into its rest
    device.StopReader();
    EXPECT_FALSE(device.Thread().Running());
}

TEST_F(ReaderRest, a_device_lost_while_idle_is_noticed_by_the_next_drain) {
    attach();
    hid.unplug(0);
    ASSERT_TRUE(events.waitDisconnects(1));
    hid.plug(0);
    EXPECT_TRUE(events.waitConnects(2));
}
