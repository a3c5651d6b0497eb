// The bottom of the communication stack: HID enumeration, device strings and report lengths
// (THIDDevice), and the reader thread (TUSBThread) that reads one input report per cycle and writes
// at most one waiting output report. Device operations run on the window thread; OnRXFrame,
// OnConnect and OnDisconnect are raised on the reader thread.
#pragma once

#include "base/Component.h"
#include "link/HidAccess.h"
#include "link/Item.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

// The reader thread. Created paused; runs its cycle from the first Resume until RequestStop.
// DevicePath, ReadLength and the callbacks are changed only while it is paused.
class TUSBThread {
public:
    using ReportCallback = std::function<void(TUSBThread* Sender, std::uint32_t BytesRead)>;
    using NotifyCallback = std::function<void(TUSBThread* Sender)>;
    using QueryCallback = std::function<bool()>;

    explicit TUSBThread(qv7::HidAccess& access);
    ~TUSBThread(); // requests a stop and joins
    TUSBThread(const TUSBThread&) = delete;
    TUSBThread& operator=(const TUSBThread&) = delete;

    // Window thread. Pause returns once the thread is between cycles (at once when not running).
    void Pause();
    // Starts the thread on the first call; lets a paused thread go on.
    void Resume();
    bool Paused() const;
    // Sets StopRequested and wakes every wait; the thread ends after its current cycle.
    void RequestStop();
    // Joins the thread (returns at once when it never started or already ended).
    void WaitFor();
    bool Running() const;

    // Hand-off, writer side: puts a report in the slot and waits until the thread has taken it or
    // the limit passed. Returns true when the slot was cleared (written, or dropped with a lost device);
    // false at once when no thread runs (never started, or stopped).
    bool HandOff(const std::uint8_t* report, std::int32_t count, std::chrono::milliseconds limit);

    // Drops the open device handle so the next cycle opens DevicePath afresh. Only while paused.
    void ForgetHandle();

    std::atomic<bool> StopRequested{false};
    std::string DevicePath;                  // at most 255 characters
    std::atomic<bool> Connected{false};      // the last open attempt succeeded
    std::uint32_t ReadLength = 0;            // bytes to read per cycle; 0: the thread does not read
    std::uint8_t ReadBuffer[256] = {};       // the last input report, identifier in byte 0 (reader thread)
    std::atomic<std::int32_t> WriteCount{0}; // bytes waiting in the slot; 0: the slot is free
    ReportCallback OnReport;
    NotifyCallback OnLost;
    NotifyCallback OnFound;
    // Reader thread: true while the layers above wait for input (a request outstanding, a frame half
    // received). The thread then takes each report as it comes; otherwise it rests between drains.
    QueryCallback InputAwaited;

    // Read time-out of one cycle: a silent device neither blocks a stop nor every waiting writer.
    int ReadTimeoutMs = 20;
    // How long an idle reader sleeps before it takes the reports queued meanwhile at once. Waking
    // every report period costs more than the reports do; hidraw queues 64 reports per open file, so
    // a rest well under 64 periods loses none. A write, a pause or a stop ends the rest at once.
    std::chrono::milliseconds RestInterval{16};
    // Pause after a failed open before the next attempt.
    std::chrono::milliseconds RetryInterval{100};

private:
    void run();
    void cycle();
    bool waitWhilePaused(); // false when a stop was requested
    bool readOnce();        // false when the device failed
    int readOne(int timeoutMs);
    bool mayRest();
    void rest();
    bool drain();
    void writeSlot();
    void idleWait();
    void lose();
    void waitRetry();

    qv7::HidAccess& access_;
    std::unique_ptr<qv7::HidHandle> handle_; // reader thread (or the window thread while paused)
    std::thread thread_;

    mutable std::mutex mutex_;
    std::condition_variable wake_; // pause/resume/stop for the thread, slot cleared for the writer
    bool started_ = false;
    bool ended_ = false;
    bool pauseRequested_ = false;
    bool pausedAck_ = true;              // the thread is between cycles (or not running)
    std::uint8_t writeBuffer_[256] = {}; // the output report slot, guarded by mutex_
    std::uint64_t slotGeneration_ = 0;   // tells a rewritten slot from the one being written
};

// The transport base: owns the reader thread and the device-path list, carries the events and the
// write hand-off.
class TCustomUSB : public TComponent {
public:
    explicit TCustomUSB(qv7::HidAccess& access);
    ~TCustomUSB() override; // stops the reader thread when the owner did not

    TNotifyEvent OnRXFrame;             // an input report has been read (reader thread)
    TNotifyEvent OnDisconnect;          // the device path failed after having opened (reader thread)
    TNotifyEvent OnConnect;             // the device path opened, first time after a selection or failures
    bool ViewRegisteredDevices = false; // hidraw lists present devices only; kept for the interface

    // Reader thread: ReceivedLength := BytesRead, then OnRXFrame.
    virtual void ReportReceived(TUSBThread* Sender, std::uint32_t BytesRead);
    // Reader thread: true while a layer above waits for input, so the reader must not rest. The base
    // waits for nothing.
    virtual bool AwaitingInput() const { return false; }
    virtual std::uint32_t ReceivedLength() const;
    virtual int Enumerate() = 0;
    virtual std::string GetDevicePath(int Index) = 0;
    // Copies the last report without its identifier byte (at most 255 bytes); returns Count.
    virtual int ReadReport(std::uint8_t* Buffer, int Count) = 0;
    // The hand-off: Count when the reader thread took the report, -1 after the 100 ms limit (at once
    // when no reader thread runs).
    virtual int WriteReport(const std::uint8_t* Buffer, int Count);
    // Writes straight to the device's "\PIPE01" path; -1 when it does not open (always, on hidraw).
    virtual int PipeWrite(const std::uint8_t* Buffer, int Count);

    // Ends the reader thread and waits for it; later selections start no new thread.
    void StopReader();

    TUSBThread& Thread() { return *thread_; }
    qv7::HidAccess& Access() const { return access_; }
    TItemList& DevicePaths() { return paths_; }

    static constexpr std::chrono::milliseconds HandOffLimit{100};

protected:
    qv7::HidAccess& access_;
    std::unique_ptr<TUSBThread> thread_;
    TItemList paths_;
    std::atomic<std::uint32_t> receivedLength_{0};
};

// The HID implementation: enumeration by Vid/Pid, device strings, report lengths, report building.
class THIDDevice : public TCustomUSB {
public:
    explicit THIDDevice(qv7::HidAccess& access);
    // Stops the reader thread while the whole device still exists: the thread calls its virtuals.
    ~THIDDevice() override;

    int OutputReportLength = 0; // identifier byte included
    qv7::HidReportLengths Caps; // of the attached device
    std::uint16_t Vid = 0x0451;
    std::uint16_t Pid = 0x0004;

    int Enumerate() override;
    std::string GetDevicePath(int Index) override;
    int ReadReport(std::uint8_t* Buffer, int Count) override;
    // Builds the report (identifier 0, Buffer, zeros up to OutputReportLength) and hands it off.
    // Returns 64 for a written 65-byte report, -2 after the time-out.
    int WriteReport(const std::uint8_t* Buffer, int Count) override;

    // N counted from 1 in the path list. Empty (serial number "unknown") when the path does not open.
    std::string ManufacturerString(int N);
    std::string ProductString(int N);
    std::string SerialNumberString(int N);

    // Index counted from 0. Points the reader thread at the device; false when there is none.
    bool SelectDevice(int Index);
    // SelectDevice, then reads the report lengths into Caps, ReadLength and OutputReportLength.
    bool AttachDevice(int Index);
};
