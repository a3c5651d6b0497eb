// The PC side of the HID-serial bridge: device selection by strings, port-format, control and data
// reports out, frame reassembly in.
#include "link/HIDSerial.h"

#include "base/Errors.h"
#include "base/TextMarks.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint8_t CommandData = 0;
constexpr std::uint8_t CommandPortFormat = 1;
constexpr std::uint8_t CommandControl = 2;
constexpr std::uint8_t ControlErase = 0xA5;
constexpr std::uint8_t ControlWrite = 0x5A;
constexpr std::uint8_t ControlReset = 0xF5;
constexpr std::uint8_t FlagModeBit6 = 0x40;
constexpr std::uint8_t FlagModeBit7 = 0x80;
constexpr int MaxDataPerReport = 60;
constexpr int HeaderLength = 4;
constexpr std::uint8_t LengthMask = 0x3F;
constexpr std::uint8_t LastReportBit = 0x80;
constexpr std::uint32_t FrameCapacity = 255;
constexpr int ReportBuffer = 65; // the report without its identifier byte, plus room

} // namespace

THIDSerial::THIDSerial(qv7::HidAccess& access) : THIDDevice(access) {
    Pid = 0x0026;
    Vid = 0x0451;
    // The report-level event belongs to the bridge: every input report goes through reassembly.
    TCustomUSB::OnRXFrame = [this](TComponent* sender) { HandleReport(sender); };
}

THIDSerial::~THIDSerial() {
    StopReader();
}

bool THIDSerial::matches(int N) {
    if (ManufacturerString(N) != VendorIdent) return false;
    return ProductIdent == "*" || ProductString(N) == ProductIdent;
}

int THIDSerial::CountDevices() {
    const int n = Enumerate();
    int count = 0;
    for (int N = 1; N <= n; ++N) {
        if (matches(N)) ++count;
    }
    return count;
}

bool THIDSerial::OpenDevice(int Number) {
    const int n = Enumerate();
    int k = 0;
    for (int N = 1; N <= n; ++N) {
        if (!matches(N)) continue;
        if (++k == Number) {
            deviceNumber_ = N;
            DeviceDescription(N);
            break;
        }
    }
    // The bridge learns the line format and the mode bits as soon as a reader can hand them over
    // (a port format sent before that would only wait out the hand-off limit).
    if (isOpen_ != 0) SendPortFormat();
    return isOpen_ != 0;
}

std::string THIDSerial::MatchingDevicePath(int Number) {
    const int n = Enumerate();
    int k = 0;
    for (int N = 1; N <= n; ++N) {
        if (matches(N) && ++k == Number) return GetDevicePath(N - 1);
    }
    return {};
}

THIDSerial::Description THIDSerial::DescribeDevice(int N) {
    isOpen_ = 0;
    const int c = Enumerate();
    if (N >= 1 && N <= c && AttachDevice(N - 1)) {
        isOpen_ = 1;
        return {QT_TRANSLATE_NOOP("THIDSerial", "USB n°%1 :  %2  %3  {%4}"),
                {std::to_string(N), ManufacturerString(N), ProductString(N), SerialNumberString(N)}};
    }
    return {QT_TRANSLATE_NOOP("THIDSerial", "Impossible d'ouvrir le appareil USB n°%1"), {std::to_string(N)}};
}

std::string THIDSerial::DeviceDescription(int N) {
    const Description description = DescribeDevice(N);
    return qv7::fillTemplate(description.form, description.arguments);
}

void THIDSerial::CloseDevice() {
    isOpen_ = 0;
    deviceNumber_ = 0;
    StopReader();
}

int THIDSerial::sendControl(std::uint8_t code) {
    const std::uint8_t payload[HeaderLength] = {CommandControl, code, 0, 0};
    return WriteReport(payload, HeaderLength);
}

int THIDSerial::EraseBridgeFirmware() {
    return sendControl(ControlErase);
}
int THIDSerial::WriteBridgeFirmware() {
    return sendControl(ControlWrite);
}
int THIDSerial::ResetBridge() {
    return sendControl(ControlReset);
}

int THIDSerial::SendPortFormat() {
    std::uint8_t flags = 0;
    if (modeBit6_) flags |= FlagModeBit6;
    if (modeBit7_) flags |= FlagModeBit7;
    const std::uint8_t payload[HeaderLength] = {CommandPortFormat,
                                                static_cast<std::uint8_t>(portFormat_.load()), flags, 0};
    return WriteReport(payload, HeaderLength);
}

void THIDSerial::SetPortFormat(TPortFormat value) {
    if (value == portFormat_.load()) return;
    portFormat_ = value;
    SendPortFormat();
}

void THIDSerial::SetModeBit6(bool value) {
    modeBit6_ = value;
    SendPortFormat();
}

void THIDSerial::SetModeBit7(bool value) {
    modeBit7_ = value;
    SendPortFormat();
}

bool THIDSerial::SendFrame(const std::uint8_t* Data, int Count) {
    int remaining = Count;
    bool ok = false;
    const std::uint8_t* next = Data;
    while (remaining > 0) {
        const int n = std::min(remaining, MaxDataPerReport);
        std::uint8_t payload[HeaderLength + MaxDataPerReport] = {};
        payload[0] = CommandData;
        // Bit 7 tells the bridge this is the frame's last report.
        payload[2] = static_cast<std::uint8_t>(remaining < MaxDataPerReport ? (n | LastReportBit) : n);
        std::memcpy(payload + HeaderLength, next, static_cast<std::size_t>(n));
        ok = WriteReport(payload, n + HeaderLength) == OutputReportLength - 1;
        next += n;
        remaining -= n;
    }
    return ok;
}

bool THIDSerial::sendFrame(std::span<const std::uint8_t> frame) {
    // The bridge expects a port-format report in front of every frame.
    SetModeBit6(true);
    return SendFrame(frame.data(), static_cast<int>(frame.size()));
}

void THIDSerial::setReceiver(qv7::FrameReceiver* receiver) {
    std::lock_guard lock(receiverMutex_);
    receiver_ = receiver;
}

qv7::LineFormat THIDSerial::lineFormat() const {
    return qv7::lineFormatOf(static_cast<std::uint8_t>(portFormat_.load()));
}

bool THIDSerial::AwaitingInput() const {
    if (frameActive_) return true;
    {
        std::lock_guard lock(receiverMutex_);
        if (receiver_ != nullptr && receiver_->answerAwaited()) return true;
    }
    return THIDDevice::AwaitingInput();
}

// Reader thread. The bridge closes a frame with the first empty report, so the PC measures no
// inter-character time.
void THIDSerial::HandleReport(TComponent* /*Sender*/) {
    std::uint8_t buffer[ReportBuffer] = {}; // index i is report byte i + 1
    const std::uint32_t reportLength = std::min<std::uint32_t>(ReceivedLength(), ReportBuffer);
    if (reportLength > 1) ReadReport(buffer, static_cast<int>(reportLength - 1));
    const std::uint32_t declared = buffer[2] & LengthMask;
    if (declared == 0) {
        endFrame();
        return;
    }
    // Only bytes the device really sent are taken, whatever length the header claims.
    const std::uint32_t present = reportLength > 5 ? reportLength - 5 : 0;
    appendData(buffer + 4, std::min(declared, present));
}

void THIDSerial::appendData(const std::uint8_t* data, std::uint32_t length) {
    frameLastDataAt_ = std::chrono::steady_clock::now();
    if (!frameActive_) frameStartedAt_ = frameLastDataAt_;
    // A report that would overflow the buffer is dropped whole; a later shorter one may still fit.
    if (receivedCount_ + length < FrameCapacity) {
        std::memcpy(frame_ + receivedCount_, data, length);
        receivedCount_ += length;
    }
    frameActive_ = true;
}

void THIDSerial::endFrame() {
    if (frameActive_) {
        raise(OnRXFrame, this);
        std::lock_guard lock(receiverMutex_);
        if (receiver_ != nullptr)
            receiver_->frameArrived(
                {std::span<const std::uint8_t>(frame_, receivedCount_), frameStartedAt_, frameLastDataAt_});
    }
    frameActive_ = false;
    std::memset(frame_, 0, sizeof frame_);
    receivedCount_ = 0;
}
