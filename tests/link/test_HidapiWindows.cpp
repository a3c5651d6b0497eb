// HidapiAccess's Windows part: one program per device by a named mutex, and no report lengths from
// what is no HID device.
#include "link/HidapiPlatform.h"

#include <gtest/gtest.h>

TEST(HidapiWindows, a_device_is_claimed_by_one_holder_at_a_time) {
    const std::string path =
        R"(\\?\hid#vid_0451&pid_0026#7&1a2b3c&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030})";
    long holder = -1;
    auto first = qv7::claimDevice(path, holder);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(qv7::claimDevice(path, holder), nullptr);
    EXPECT_EQ(holder, 0) << "Windows does not name a mutex's holder";
    auto other = qv7::claimDevice(path + "1", holder);
    EXPECT_NE(other, nullptr) << "another device is free";
    // Paths differ only in case where Windows does not tell them apart.
    EXPECT_EQ(
        qv7::claimDevice(
            R"(\\?\HID#VID_0451&PID_0026#7&1A2B3C&0&0000#{4D1E55B2-F16F-11CF-88CB-001111000030})", holder),
        nullptr);
    first.reset();
    EXPECT_NE(qv7::claimDevice(path, holder), nullptr) << "a released device is free again";
}

TEST(HidapiWindows, what_is_no_hid_device_has_no_report_lengths) {
    EXPECT_FALSE(qv7::deviceReportLayout("", "NUL").has_value());
    EXPECT_FALSE(qv7::deviceReportLayout("", R"(\\?\hid#vid_0451&pid_0026#absent)").has_value());
}
