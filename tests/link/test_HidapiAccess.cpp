// HidapiAccess against a fake of hidapi's C API and a sysfs tree in a temporary directory: the same
// code that drives real hardware, down to the hidapi calls.
#include "FakeHidapi.h"

#include "link/HIDSerial.h"
#include "link/HidapiAccess.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fake = qv7::fakehidapi;
namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

const Bytes kVendor64 = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x09, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00,
                         0x75, 0x08, 0x95, 0x40, 0x81, 0x02, 0x09, 0x01, 0x95, 0x40, 0x91, 0x02, 0xC0};
const Bytes kNumbered = {0x85, 0x03, 0x75, 0x08, 0x95, 0x08, 0x81, 0x02, 0x91, 0x02};

class HidapiTest : public ::testing::Test {
protected:
    HidapiTest() { fake::reset(); }

    // A hidraw device with its report descriptor in the fake sysfs.
    fake::Device& addDevice(int minor, const Bytes& descriptor, const std::wstring& serial = L"0001") {
        const std::string node = "hidraw" + std::to_string(minor);
        const fs::path dir = root_ / "class" / "hidraw" / node / "device";
        fs::create_directories(dir);
        std::ofstream(dir / "report_descriptor", std::ios::binary)
            .write(reinterpret_cast<const char*>(descriptor.data()),
                   static_cast<std::streamsize>(descriptor.size()));
        fake::Device device;
        device.path = "/dev/" + node;
        device.serial = serial;
        fake::state().devices.push_back(device);
        return fake::state().devices.back();
    }

    qv7::test::TempDir folder_;
    fs::path root_ = folder_.path();
    qv7::HidapiAccess access_{root_.string()};
};

} // namespace

TEST_F(HidapiTest, enumerate_lists_matching_paths_in_order) {
    addDevice(2, kVendor64);
    addDevice(0, kVendor64).pid = 0x0027;
    addDevice(5, kVendor64);
    EXPECT_EQ(access_.enumerate(0x0451, 0x0026), (std::vector<std::string>{"/dev/hidraw2", "/dev/hidraw5"}));
    EXPECT_TRUE(access_.enumerate(0x0451, 0x0004).empty());
    access_.open("/dev/hidraw2");
    EXPECT_EQ(fake::state().initCalls, 1) << "hidapi is initialised once";
    EXPECT_EQ(fake::state().exitCalls, 0);
}

TEST_F(HidapiTest, open_fails_for_an_unknown_or_refusing_path) {
    addDevice(1, kVendor64).opens = false;
    EXPECT_EQ(access_.open("/dev/hidraw1"), nullptr);
    EXPECT_EQ(access_.open("/dev/hidraw9"), nullptr);
}

TEST_F(HidapiTest, closing_a_handle_closes_the_device) {
    addDevice(1, kVendor64);
    {
        auto handle = access_.open("/dev/hidraw1");
        ASSERT_NE(handle, nullptr);
        EXPECT_EQ(fake::state().openHandles, 1);
    }
    EXPECT_EQ(fake::state().openHandles, 0);
}

TEST_F(HidapiTest, attributes_and_strings_come_from_the_device) {
    // Two-, three- and four-byte characters, each at a boundary or with its low bits set.
    addDevice(1, kVendor64, L"S\u00b0\u20ac\u00e9\uffff\U00010000");
    auto handle = access_.open("/dev/hidraw1");
    ASSERT_NE(handle, nullptr);
    const auto attributes = handle->attributes();
    ASSERT_TRUE(attributes.has_value());
    EXPECT_EQ(attributes->vendorId, 0x0451);
    EXPECT_EQ(attributes->productId, 0x0026);
    EXPECT_EQ(handle->manufacturer(), "Norvex");
    EXPECT_EQ(handle->product(), "HID-QV7   ");
    EXPECT_EQ(handle->serialNumber(), "S\xc2\xb0\xe2\x82\xac\xc3\xa9\xef\xbf\xbf\xf0\x90\x80\x80")
        << "wide strings become UTF-8";
}

TEST_F(HidapiTest, a_path_opened_without_a_scan_asks_about_its_own_device_only) {
    addDevice(1, kVendor64).pid = 0x0027;
    auto handle = access_.open("/dev/hidraw1");
    ASSERT_NE(handle, nullptr);
    ASSERT_TRUE(handle->attributes().has_value());
    EXPECT_EQ(handle->attributes()->productId, 0x0027);
    EXPECT_EQ(fake::state().enumerateCalls, 0);
    EXPECT_EQ(fake::state().deviceInfoCalls, 2);
}

TEST_F(HidapiTest, a_scan_of_several_devices_enumerates_once) {
    addDevice(1, kVendor64, L"0001");
    addDevice(2, kVendor64, L"0002").manufacturer = L"Other";
    addDevice(3, kVendor64, L"0003");
    addDevice(4, kVendor64, L"0004").product = L"HID-QV8   ";
    THIDSerial bridge(access_);
    bridge.ProductIdent = "HID-QV7   ";
    EXPECT_EQ(bridge.CountDevices(), 2) << "two of the four are a Norvex HID-QV7";
    EXPECT_EQ(fake::state().enumerateCalls, 1);
    EXPECT_EQ(fake::state().deviceInfoCalls, 0);
    EXPECT_EQ(bridge.SerialNumberString(3), "0003") << "the strings are the scan's";
    EXPECT_EQ(fake::state().enumerateCalls, 1);
}

TEST_F(HidapiTest, a_string_the_device_refuses_is_missing) {
    addDevice(1, kVendor64).serial.reset();
    auto handle = access_.open("/dev/hidraw1");
    ASSERT_NE(handle, nullptr);
    EXPECT_FALSE(handle->serialNumber().has_value());
}

TEST_F(HidapiTest, report_lengths_come_from_the_sysfs_descriptor) {
    addDevice(3, kVendor64);
    auto handle = access_.open("/dev/hidraw3");
    ASSERT_NE(handle, nullptr);
    const auto lengths = handle->reportLengths();
    ASSERT_TRUE(lengths.has_value());
    EXPECT_EQ(lengths->input, 65);
    EXPECT_EQ(lengths->output, 65);
}

TEST_F(HidapiTest, report_lengths_are_missing_without_a_descriptor) {
    addDevice(3, kVendor64);
    fs::remove(root_ / "class/hidraw/hidraw3/device/report_descriptor");
    auto handle = access_.open("/dev/hidraw3");
    ASSERT_NE(handle, nullptr);
    EXPECT_FALSE(handle->reportLengths().has_value());
}

TEST_F(HidapiTest, an_unnumbered_report_gets_its_zero_identifier_back) {
    addDevice(1, kVendor64).reads.push_back({0xAA, 0xBB, 0xCC});
    auto handle = access_.open("/dev/hidraw1");
    std::uint8_t buffer[65];
    std::fill(std::begin(buffer), std::end(buffer), 0xEE);
    EXPECT_EQ(handle->readReport(buffer, 65, 7), 4);
    EXPECT_EQ(fake::state().lastReadTimeout, 7);
    EXPECT_EQ(fake::state().lastReadLength, 64u) << "room left for the identifier";
    EXPECT_EQ(Bytes(buffer, buffer + 4), (Bytes{0x00, 0xAA, 0xBB, 0xCC}));
}

TEST_F(HidapiTest, a_numbered_report_keeps_its_identifier) {
    addDevice(1, kNumbered).reads.push_back({0x03, 0x11});
    auto handle = access_.open("/dev/hidraw1");
    std::uint8_t buffer[9] = {};
    EXPECT_EQ(handle->readReport(buffer, 9, 0), 2);
    EXPECT_EQ(fake::state().lastReadLength, 9u);
    EXPECT_EQ(Bytes(buffer, buffer + 2), (Bytes{0x03, 0x11}));
}

TEST_F(HidapiTest, read_time_out_and_failure_are_told_apart) {
    fake::Device& device = addDevice(1, kVendor64);
    auto handle = access_.open("/dev/hidraw1");
    std::uint8_t buffer[65];
    EXPECT_EQ(handle->readReport(buffer, 65, 0), 0);
    device.readFails = true;
    EXPECT_EQ(handle->readReport(buffer, 65, 0), -1);
}

TEST_F(HidapiTest, a_written_report_reaches_hidapi_identifier_first) {
    addDevice(1, kVendor64);
    auto handle = access_.open("/dev/hidraw1");
    const Bytes report = {0x00, 0x01, 0x02, 0x40, 0x00};
    EXPECT_EQ(handle->writeReport(report.data(), report.size()), 5);
    ASSERT_EQ(fake::state().devices[0].writes.size(), 1u);
    EXPECT_EQ(fake::state().devices[0].writes[0], report);
}

struct PathCase {
    const char* name;
    std::string path;
    std::string file;
};

class DescriptorPaths : public ::testing::TestWithParam<PathCase> {};

TEST_P(DescriptorPaths, map_a_hidraw_node_to_its_sysfs_descriptor) {
    EXPECT_EQ(qv7::reportDescriptorFile("/sys", GetParam().path), GetParam().file);
}

INSTANTIATE_TEST_SUITE_P(Link, DescriptorPaths,
                         ::testing::Values(PathCase{"hidraw0", "/dev/hidraw0",
                                                    "/sys/class/hidraw/hidraw0/device/report_descriptor"},
                                           PathCase{"hidraw12", "/dev/hidraw12",
                                                    "/sys/class/hidraw/hidraw12/device/report_descriptor"},
                                           PathCase{"no_number", "/dev/hidraw", ""},
                                           PathCase{"not_hidraw", "/dev/ttyUSB0", ""},
                                           PathCase{"escaping", "/dev/hidraw1/../../x", ""},
                                           PathCase{"libusb_path", "1-2:1.0", ""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(HidapiTest, the_bridge_finds_and_describes_a_device_through_hidapi) {
    addDevice(4, kVendor64, L"0042");
    {
        THIDSerial bridge(access_);
        bridge.ProductIdent = "HID-QV7   ";
        ASSERT_EQ(bridge.CountDevices(), 1);
        EXPECT_EQ(bridge.DeviceDescription(1), "USB n°1 :  Norvex  HID-QV7     {0042}");
        EXPECT_EQ(bridge.OutputReportLength, 65);
        bridge.CloseDevice();
    }
    std::lock_guard lock(fake::mutex());
    EXPECT_EQ(fake::state().openHandles, 0);
}

TEST_F(HidapiTest, the_reader_reopening_a_lost_device_and_a_scan_take_turns_in_hidapi) {
    fake::Device& device = addDevice(4, kVendor64);
    THIDSerial bridge(access_);
    bridge.Thread().RetryInterval = std::chrono::milliseconds(1);
    ASSERT_TRUE(bridge.AttachDevice(0));
    {
        // The device stops answering and no longer opens: the reader retries its path every period.
        std::lock_guard lock(fake::mutex());
        device.readFails = true;
        device.opens = false;
    }
    for (int scan = 0; scan < 200; ++scan)
        EXPECT_EQ(bridge.Enumerate(), 0);
    bridge.CloseDevice();
}
