// THIDSerial: the PC side of the indicator's HID-serial bridge. Picks the bridge by its device
// strings, sends the port-format and control reports, cuts serial frames into data reports and
// reassembles incoming reports into frames. Frame reassembly runs on the reader thread. As a frame
// link it carries the Modbus master's frames, each behind the port-format report the bridge wants.
#pragma once

#include "base/FrameLink.h"
#include "link/USB.h"
#include "proto/PortFormats.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class THIDSerial : public THIDDevice, public qv7::FrameLink {
public:
    explicit THIDSerial(qv7::HidAccess& access);
    // Stops the reader thread before this layer's frame state goes away.
    ~THIDSerial() override;

    // A complete incoming serial frame is ready (reader thread); take it during the call.
    // Hides the report-level event of THIDDevice, which this class takes over.
    TNotifyEvent OnRXFrame;

    std::string VendorIdent = "Norvex";
    std::string ProductIdent = "*"; // "*" accepts any product string

    int CountDevices();
    bool OpenDevice(int Number); // Number-th matching device, from 1; then sends the port format
    // The path of the Number-th matching device (from 1); empty when there is none.
    std::string MatchingDevicePath(int Number);
    int DeviceNumber() const { return deviceNumber_; }
    std::string DeviceDescription(int N); // attaches device N (from 1) and describes it
    // The same description as a template marked for the window's translations (context
    // "THIDSerial") and its arguments; DeviceDescription is the template filled in.
    struct Description {
        const char* form;
        std::vector<std::string> arguments;
    };
    Description DescribeDevice(int N);
    void CloseDevice();
    int IsOpen() const { return isOpen_; }

    // Control reports; each returns the WriteReport result (64, or -2 after the time-out).
    int EraseBridgeFirmware();
    int WriteBridgeFirmware();
    int ResetBridge();
    int SendPortFormat();

    TPortFormat PortFormat() const { return portFormat_.load(); }
    void SetPortFormat(TPortFormat value); // sends the port-format report when it changes
    bool ModeBit6() const { return modeBit6_; }
    bool ModeBit7() const { return modeBit7_; }
    void SetModeBit6(bool value); // stores and sends, changed or not
    void SetModeBit7(bool value);

    // Sends Count serial bytes in data reports of at most 60 bytes; true when the last one was written.
    bool SendFrame(const std::uint8_t* Data, int Count);

    // The frame link. sendFrame: ModeBit6 := true (a port-format report, which the bridge wants in
    // front of every frame), then SendFrame. The receiver gets each frame after OnRXFrame, on the
    // reader thread. The line format follows PortFormat.
    bool sendFrame(std::span<const std::uint8_t> frame) override;
    void setReceiver(qv7::FrameReceiver* receiver) override;
    qv7::LineFormat lineFormat() const override;

    // The frame being (or just) reassembled; valid during the OnRXFrame call (reader thread).
    std::uint32_t ReceivedCount() const { return receivedCount_; }
    const std::uint8_t* ReceivedFrame() const { return frame_; }
    bool FrameActive() const { return frameActive_; }
    // When the frame's first data report arrived (reader thread): a frame begun before a request was
    // sent cannot be its answer.
    std::chrono::steady_clock::time_point FrameStartedAt() const { return frameStartedAt_; }
    // When its last data report arrived: the frame was over on the serial line by then, one report
    // period or more before the empty report that closes it here.
    std::chrono::steady_clock::time_point FrameLastDataAt() const { return frameLastDataAt_; }

    // Reader thread: a frame half received, or an answer the receiver awaits, keeps the reader taking
    // each report, so that the empty report closing a frame is not left waiting in the queue.
    bool AwaitingInput() const override;

protected:
    bool matches(int N); // N from 1

private:
    void HandleReport(TComponent* Sender);
    void appendData(const std::uint8_t* data, std::uint32_t length);
    void endFrame();
    int sendControl(std::uint8_t code);

    int deviceNumber_ = 0;
    std::atomic<TPortFormat> portFormat_{TPortFormat::_9600_8N2};
    bool modeBit7_ = false;
    bool modeBit6_ = false;
    int isOpen_ = 0;
    // Reader thread only.
    bool frameActive_ = false;
    std::uint8_t frame_[255] = {};
    std::uint32_t receivedCount_ = 0;
    std::chrono::steady_clock::time_point frameStartedAt_{};
    std::chrono::steady_clock::time_point frameLastDataAt_{};
    // Held while the receiver is called, so that detaching waits for a call in progress.
    mutable std::mutex receiverMutex_;
    qv7::FrameReceiver* receiver_ = nullptr; // guarded by receiverMutex_
};
