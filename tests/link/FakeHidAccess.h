// A scripted HidAccess for the link tests: a few devices with strings, plug and unplug, failing
// opens, silent devices, input reports queued for reading (an empty report every period otherwise)
// and a record of every output report. Thread-safe: the reader thread reads and writes while the
// test scripts it.
#pragma once

#include "link/HidAccess.h"
#include "link/USB.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace qv7::test {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint16_t BridgeVid = 0x0451;
constexpr std::uint16_t BridgePid = 0x0026;
constexpr std::size_t BridgeReport = 65;

// A bridge input report: byte 3 the declared length, the data from byte 5, padded to 65 bytes.
inline Bytes inputReport(std::uint8_t lengthByte, const Bytes& data) {
    Bytes report(BridgeReport, 0);
    report[3] = lengthByte;
    for (std::size_t i = 0; i < data.size() && 5 + i < report.size(); ++i)
        report[5 + i] = data[i];
    return report;
}

inline Bytes sequence(std::size_t count, std::uint8_t first) {
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(first + i);
    return bytes;
}

class FakeHidAccess : public HidAccess {
public:
    struct Device {
        std::string path;
        std::uint16_t vid = BridgeVid;
        std::uint16_t pid = BridgePid;
        std::optional<std::string> manufacturer = "Norvex";
        std::optional<std::string> product = "HID-QV7   ";
        std::optional<std::string> serial;
        std::optional<HidReportLengths> lengths = HidReportLengths{65, 65};
        bool plugged = true;
        bool failOpen = false;
        bool silent = false;
        int failWrites = 0;  // the next writes fail (-1) while reads go on
        int shortWrites = 0; // the next writes take all but the last byte and say so
        int epoch = 0;       // an unplug kills every handle opened before it
        std::deque<Bytes> input;
        std::vector<Bytes> written;
        std::vector<std::size_t> queuedAtWrite; // input reports still unread when each report was written
        int pollingReads = 0;                   // reads with time-out 0: they never wait for the device
        int waitingReads = 0;                   // reads that wait for the next report
    };

    std::chrono::microseconds period{1000};

    int addDevice(const std::string& serial, const std::string& manufacturer = "Norvex",
                  const std::string& product = "HID-QV7   ", std::uint16_t pid = BridgePid) {
        std::lock_guard lock(mutex_);
        Device device;
        device.path = "/dev/fake" + std::to_string(devices_.size());
        device.serial = serial;
        device.manufacturer = manufacturer;
        device.product = product;
        device.pid = pid;
        devices_.push_back(device);
        return static_cast<int>(devices_.size()) - 1;
    }

    template <typename Change> void change(int index, Change change) {
        std::lock_guard lock(mutex_);
        change(devices_.at(static_cast<std::size_t>(index)));
        changed_.notify_all();
    }

    std::string path(int index) const {
        std::lock_guard lock(mutex_);
        return devices_.at(static_cast<std::size_t>(index)).path;
    }

    void unplug(int index) {
        change(index, [](Device& d) {
            d.plugged = false;
            ++d.epoch;
        });
    }
    void plug(int index) {
        change(index, [](Device& d) { d.plugged = true; });
    }
    void setFailOpen(int index, bool fail) {
        change(index, [fail](Device& d) { d.failOpen = fail; });
    }
    void failWrites(int index, int count) {
        change(index, [count](Device& d) { d.failWrites = count; });
    }
    void shortenWrites(int index, int count) {
        change(index, [count](Device& d) { d.shortWrites = count; });
    }
    void setSilent(int index, bool silent) {
        change(index, [silent](Device& d) { d.silent = silent; });
    }
    // Queued together, so that no idle report slips in between them.
    void queueInput(int index, const std::vector<Bytes>& reports) {
        change(index,
               [&reports](Device& d) { d.input.insert(d.input.end(), reports.begin(), reports.end()); });
    }

    std::vector<Bytes> written(int index) const {
        std::lock_guard lock(mutex_);
        return devices_.at(static_cast<std::size_t>(index)).written;
    }

    void clearWritten(int index) {
        change(index, [](Device& d) { d.written.clear(); });
    }

    bool waitForWritten(int index, std::size_t count,
                        std::chrono::milliseconds timeout = std::chrono::seconds(2)) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return devices_.at(index).written.size() >= count; });
    }

    // The device as the test sees it now (a copy).
    Device snapshot(int index) const {
        std::lock_guard lock(mutex_);
        return devices_.at(static_cast<std::size_t>(index));
    }

    bool waitForReads(int index, int count, std::chrono::milliseconds timeout = std::chrono::seconds(2)) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] {
            const Device& d = devices_.at(index);
            return d.pollingReads + d.waitingReads >= count;
        });
    }

    bool waitForInputTaken(int index, std::chrono::milliseconds timeout = std::chrono::seconds(2)) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return devices_.at(index).input.empty(); });
    }

    std::vector<std::string> enumerate(std::uint16_t vendorId, std::uint16_t productId) override {
        std::lock_guard lock(mutex_);
        std::vector<std::string> paths;
        for (const Device& d : devices_) {
            if (d.plugged && d.vid == vendorId && d.pid == productId) paths.push_back(d.path);
        }
        return paths;
    }

    std::unique_ptr<HidHandle> open(const std::string& path) override;

    int openHandles() const { return openHandles_.load(); }

private:
    std::atomic<int> openHandles_{0};
    friend class FakeHandle;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Device> devices_; // deque: references stay valid while devices are added
};

class FakeHandle : public HidHandle {
public:
    FakeHandle(FakeHidAccess& access, std::size_t index, int epoch)
        : access_(access), index_(index), epoch_(epoch) {
        ++access_.openHandles_;
    }
    ~FakeHandle() override { --access_.openHandles_; }
    FakeHandle(const FakeHandle&) = delete;
    FakeHandle& operator=(const FakeHandle&) = delete;

    int readReport(std::uint8_t* buffer, std::size_t size, int timeoutMs) override {
        std::unique_lock lock(access_.mutex_);
        const auto now = std::chrono::steady_clock::now();
        const auto timeout = now + std::chrono::milliseconds(timeoutMs);
        const auto idleReport = now + access_.period;
        auto& d = device();
        ++(timeoutMs == 0 ? d.pollingReads : d.waitingReads);
        access_.changed_.notify_all();
        for (;;) {
            if (dead()) return -1;
            if (!d.input.empty()) {
                Bytes report = d.input.front();
                d.input.pop_front();
                access_.changed_.notify_all();
                return copy(report, buffer, size);
            }
            const auto current = std::chrono::steady_clock::now();
            if (!d.silent && current >= idleReport) return copy(Bytes(BridgeReport, 0), buffer, size);
            if (current >= timeout) return 0;
            access_.changed_.wait_until(lock, d.silent ? timeout : std::min(timeout, idleReport));
        }
    }

    int writeReport(const std::uint8_t* buffer, std::size_t size) override {
        std::lock_guard lock(access_.mutex_);
        if (dead()) return -1;
        if (device().failWrites > 0) {
            --device().failWrites;
            access_.changed_.notify_all();
            return -1;
        }
        if (device().shortWrites > 0 && size > 1) {
            --device().shortWrites;
            access_.changed_.notify_all();
            return static_cast<int>(size) - 1;
        }
        device().written.emplace_back(buffer, buffer + size);
        device().queuedAtWrite.push_back(device().input.size());
        access_.changed_.notify_all();
        return static_cast<int>(size);
    }

    std::optional<HidAttributes> attributes() override {
        std::lock_guard lock(access_.mutex_);
        return HidAttributes{device().vid, device().pid};
    }
    std::optional<std::string> manufacturer() override { return field(&FakeHidAccess::Device::manufacturer); }
    std::optional<std::string> product() override { return field(&FakeHidAccess::Device::product); }
    std::optional<std::string> serialNumber() override { return field(&FakeHidAccess::Device::serial); }
    std::optional<HidReportLengths> reportLengths() override {
        std::lock_guard lock(access_.mutex_);
        return device().lengths;
    }

private:
    FakeHidAccess::Device& device() { return access_.devices_[index_]; }
    bool dead() { return !device().plugged || device().epoch != epoch_; }

    std::optional<std::string> field(std::optional<std::string> FakeHidAccess::Device::*member) {
        std::lock_guard lock(access_.mutex_);
        return device().*member;
    }

    static int copy(const Bytes& report, std::uint8_t* buffer, std::size_t size) {
        const std::size_t n = std::min(size, report.size());
        std::copy_n(report.begin(), n, buffer);
        return static_cast<int>(n);
    }

    FakeHidAccess& access_;
    std::size_t index_;
    int epoch_;
};

inline std::unique_ptr<HidHandle> FakeHidAccess::open(const std::string& path) {
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < devices_.size(); ++i) {
        const Device& d = devices_[i];
        if (d.path == path) {
            if (!d.plugged || d.failOpen) return nullptr;
            return std::make_unique<FakeHandle>(*this, i, d.epoch);
        }
    }
    return nullptr;
}

// Counts the link's events as they arrive on the reader thread; tests wait on it, never sleep.
class EventLog {
public:
    template <typename Device> void watchConnection(Device& device) {
        device.OnConnect = [this](TComponent*) { bump(connects_); };
        device.OnDisconnect = [this](TComponent*) { bump(disconnects_); };
    }

    void addFrame(Bytes frame) {
        std::lock_guard lock(mutex_);
        frames_.push_back(std::move(frame));
        changed_.notify_all();
    }

    int connects() const { return read(connects_); }
    int disconnects() const { return read(disconnects_); }
    std::vector<Bytes> frames() const {
        std::lock_guard lock(mutex_);
        return frames_;
    }

    bool waitConnects(int n) {
        return waitUntil([&] { return connects_ >= n; });
    }
    bool waitDisconnects(int n) {
        return waitUntil([&] { return disconnects_ >= n; });
    }
    bool waitFrames(std::size_t n) {
        return waitUntil([&] { return frames_.size() >= n; });
    }

private:
    template <typename Predicate> bool waitUntil(Predicate predicate) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(2), predicate);
    }
    void bump(int& counter) {
        std::lock_guard lock(mutex_);
        ++counter;
        changed_.notify_all();
    }
    int read(const int& counter) const {
        std::lock_guard lock(mutex_);
        return counter;
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    int connects_ = 0;
    int disconnects_ = 0;
    std::vector<Bytes> frames_;
};

} // namespace qv7::test
