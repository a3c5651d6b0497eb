// A fake of hidapi's C API for testing HidapiAccess without hardware or libhidapi: the functions
// of <hidapi/hidapi.h> that HidapiAccess calls, served from a table the test fills in.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace qv7::fakehidapi {

struct Device {
    std::string path;
    std::uint16_t vid = 0x0451;
    std::uint16_t pid = 0x0026;
    std::optional<std::wstring> manufacturer = L"Norvex";
    std::optional<std::wstring> product = L"HID-QV7   ";
    std::optional<std::wstring> serial = L"0001";
    bool opens = true;
    // What hid_read_timeout hands out, in order: a report, or an empty vector for a time-out.
    std::deque<std::vector<std::uint8_t>> reads;
    bool readFails = false;
    std::vector<std::vector<std::uint8_t>> writes;
};

struct State {
    std::vector<Device> devices;
    int initCalls = 0;
    int exitCalls = 0;
    int openHandles = 0;
    int enumerateCalls = 0;  // hid_enumerate: each one lists every device on the system
    int deviceInfoCalls = 0; // hid_get_device_info: asks about one open device
    int lastReadTimeout = -2;
    std::size_t lastReadLength = 0;
};

// The table served by the fake; reset by each test.
State& state();
void reset();
// Held by every fake function; hold it to look at the table while a reader thread runs.
std::recursive_mutex& mutex();

} // namespace qv7::fakehidapi
