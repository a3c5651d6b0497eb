// The reader thread, the write hand-off and the HID device over the HidAccess seam.
#include "link/USB.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t SlotSize = 256;
constexpr std::size_t MaxPathLength = 255;

} // namespace

// ---------------------------------------------------------------------------------------------
// TUSBThread

TUSBThread::TUSBThread(qv7::HidAccess& access) : access_(access) {}

TUSBThread::~TUSBThread() {
    RequestStop();
    WaitFor();
}

void TUSBThread::Pause() {
    std::unique_lock lock(mutex_);
    if (!started_ || ended_) return;
    pauseRequested_ = true;
    wake_.notify_all();
    wake_.wait(lock, [this] { return pausedAck_; });
}

void TUSBThread::Resume() {
    std::lock_guard lock(mutex_);
    pauseRequested_ = false;
    if (!started_ && !StopRequested.load()) {
        started_ = true;
        pausedAck_ = false;
        thread_ = std::thread(&TUSBThread::run, this);
    }
    wake_.notify_all();
}

bool TUSBThread::Paused() const {
    std::lock_guard lock(mutex_);
    return started_ && !ended_ && pauseRequested_ && pausedAck_;
}

void TUSBThread::RequestStop() {
    std::lock_guard lock(mutex_);
    StopRequested.store(true);
    wake_.notify_all();
}

void TUSBThread::WaitFor() {
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

bool TUSBThread::Running() const {
    std::lock_guard lock(mutex_);
    return started_ && !ended_;
}

bool TUSBThread::HandOff(const std::uint8_t* report, std::int32_t count, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::unique_lock lock(mutex_);
    // No thread to take the report, or nothing it could take: waiting out the limit would only
    // delay the writer (a master sends its start-up reports before any device is attached).
    if (!started_ || ended_ || count <= 0 || static_cast<std::size_t>(count) > SlotSize) return false;
    std::memcpy(writeBuffer_, report, static_cast<std::size_t>(count));
    ++slotGeneration_;
    WriteCount.store(count);
    wake_.notify_all();
    return wake_.wait_until(lock, deadline, [this] { return WriteCount.load() == 0; });
}

void TUSBThread::ForgetHandle() {
    handle_.reset();
}

void TUSBThread::run() {
    while (waitWhilePaused()) {
        cycle();
    }
    handle_.reset();
    std::lock_guard lock(mutex_);
    ended_ = true;
    pausedAck_ = true;
    wake_.notify_all();
}

bool TUSBThread::waitWhilePaused() {
    std::unique_lock lock(mutex_);
    if (pauseRequested_ && !StopRequested.load()) {
        pausedAck_ = true;
        wake_.notify_all();
        wake_.wait(lock, [this] { return !pauseRequested_ || StopRequested.load(); });
        pausedAck_ = false;
    }
    return !StopRequested.load();
}

// One cycle: (re)open when needed, read one report, write the waiting one. The path stays open
// while I/O succeeds because hidraw drops the reports queued on a file when it is closed.
void TUSBThread::cycle() {
    if (!handle_) {
        handle_ = access_.open(DevicePath);
        if (!handle_) {
            lose();
            return;
        }
    }
    if (!Connected.exchange(true) && OnFound) OnFound(this);
    if (!readOnce()) return lose();
    writeSlot();
}

bool TUSBThread::readOnce() {
    if (ReadLength == 0) {
        idleWait();
        return true;
    }
    if (mayRest()) {
        rest();
        return drain();
    }
    return readOne(ReadTimeoutMs) >= 0;
}

// One report, handed on when it came. A time-out is no failure: the device may simply have nothing
// to say this period.
int TUSBThread::readOne(int timeoutMs) {
    const std::size_t size = std::min<std::size_t>(ReadLength, sizeof ReadBuffer);
    const int n = handle_->readReport(ReadBuffer, size, timeoutMs);
    if (n > 0 && OnReport) OnReport(this, static_cast<std::uint32_t>(std::min<std::size_t>(n, size)));
    return n;
}

// A report waiting in the slot ends the rest before it begins: it goes out after the drain.
bool TUSBThread::mayRest() {
    return !(InputAwaited && InputAwaited());
}

void TUSBThread::rest() {
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, RestInterval,
                   [this] { return StopRequested.load() || pauseRequested_ || WriteCount.load() != 0; });
}

// Takes what queued during the rest without waiting. Before a write goes out, so that a frame that
// began before it is seen as begun before it. Bounded by the kernel's queue, in case a device
// reports faster than it is read.
bool TUSBThread::drain() {
    constexpr int KernelQueue = 64;
    for (int i = 0; i < KernelQueue; ++i) {
        const int n = readOne(0);
        if (n < 0) return false;
        if (n == 0) break;
    }
    return true;
}

// Without reads nothing paces the cycle: wait for a report to write, a pause or a stop instead.
void TUSBThread::idleWait() {
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, std::chrono::milliseconds(ReadTimeoutMs),
                   [this] { return StopRequested.load() || pauseRequested_ || WriteCount.load() != 0; });
}

// A failed or partial write leaves the report in the slot for the next cycle and is no sign of a lost
// device by itself: only a failed open or read is. A device that is really gone fails its next read.
void TUSBThread::writeSlot() {
    std::uint8_t report[SlotSize];
    std::int32_t count = 0;
    std::uint64_t generation = 0;
    {
        std::lock_guard lock(mutex_);
        count = WriteCount.load();
        if (count == 0) return;
        // Copied so that a writer who gave up may refill the slot while this copy goes out.
        std::memcpy(report, writeBuffer_, static_cast<std::size_t>(count));
        generation = slotGeneration_;
    }
    const int written = handle_->writeReport(report, static_cast<std::size_t>(count));
    if (written != count) return;
    std::lock_guard lock(mutex_);
    if (generation == slotGeneration_) {
        WriteCount.store(0);
        wake_.notify_all();
    }
}

// A failed open or read: the device is taken as gone until a later open succeeds.
void TUSBThread::lose() {
    handle_.reset();
    if (Connected.exchange(false) && OnLost) OnLost(this);
    waitRetry();
}

// Waits before the next open; a report handed over meanwhile is dropped at once, since there is no
// device to take it, and the writer's wait ends with success.
void TUSBThread::waitRetry() {
    const auto deadline = std::chrono::steady_clock::now() + RetryInterval;
    std::unique_lock lock(mutex_);
    for (;;) {
        if (WriteCount.load() != 0) {
            WriteCount.store(0);
            wake_.notify_all();
        }
        const bool woken = wake_.wait_until(lock, deadline, [this] {
            return StopRequested.load() || pauseRequested_ || WriteCount.load() != 0;
        });
        if (!woken || StopRequested.load() || pauseRequested_) return;
    }
}

// ---------------------------------------------------------------------------------------------
// TCustomUSB

TCustomUSB::TCustomUSB(qv7::HidAccess& access)
    : access_(access), thread_(std::make_unique<TUSBThread>(access)) {}

TCustomUSB::~TCustomUSB() {
    StopReader();
}

void TCustomUSB::ReportReceived(TUSBThread* /*Sender*/, std::uint32_t BytesRead) {
    receivedLength_.store(BytesRead);
    raise(OnRXFrame, this);
}

std::uint32_t TCustomUSB::ReceivedLength() const {
    return receivedLength_.load();
}

int TCustomUSB::WriteReport(const std::uint8_t* Buffer, int Count) {
    return thread_->HandOff(Buffer, Count, HandOffLimit) ? Count : -1;
}

int TCustomUSB::PipeWrite(const std::uint8_t* Buffer, int Count) {
    if (Count <= 0) return 0;
    auto pipe = access_.open(thread_->DevicePath + "\\PIPE01");
    if (!pipe) return -1;
    return pipe->writeReport(Buffer, static_cast<std::size_t>(Count));
}

void TCustomUSB::StopReader() {
    thread_->RequestStop();
    thread_->WaitFor();
}

// ---------------------------------------------------------------------------------------------
// THIDDevice

THIDDevice::THIDDevice(qv7::HidAccess& access) : TCustomUSB(access) {}

THIDDevice::~THIDDevice() {
    StopReader();
}

int THIDDevice::Enumerate() {
    paths_.Clear();
    for (const std::string& path : access_.enumerate(Vid, Pid)) {
        // A path is listed only when it opens and says it is ours, as the reader will need to open it.
        auto handle = access_.open(path);
        if (!handle) continue;
        const auto attributes = handle->attributes();
        if (attributes && attributes->vendorId == Vid && attributes->productId == Pid) paths_.Add(path);
    }
    return paths_.Count();
}

std::string THIDDevice::GetDevicePath(int Index) {
    return paths_.Item(Index);
}

int THIDDevice::ReadReport(std::uint8_t* Buffer, int Count) {
    const int n = std::clamp(Count, 0, static_cast<int>(sizeof thread_->ReadBuffer) - 1);
    std::memcpy(Buffer, thread_->ReadBuffer + 1, static_cast<std::size_t>(n));
    return n;
}

int THIDDevice::WriteReport(const std::uint8_t* Buffer, int Count) {
    std::uint8_t report[SlotSize] = {}; // identifier 0, then the payload, zeros to the end
    const int length = std::clamp(OutputReportLength, 0, static_cast<int>(SlotSize));
    const int n = std::clamp(Count, 0, std::max(length - 1, 0));
    if (n > 0) std::memcpy(report + 1, Buffer, static_cast<std::size_t>(n));
    return TCustomUSB::WriteReport(report, length) - 1;
}

namespace {

using StringGetter = std::optional<std::string> (qv7::HidHandle::*)();

std::string deviceString(qv7::HidAccess& access, const TItemList& paths, int N, StringGetter getter,
                         const std::string& whenUnopened) {
    if (N < 1 || N > paths.Count()) return {};
    auto handle = access.open(paths.Item(N - 1));
    if (!handle) return whenUnopened;
    return ((*handle).*getter)().value_or(whenUnopened);
}

} // namespace

std::string THIDDevice::ManufacturerString(int N) {
    return deviceString(access_, paths_, N, &qv7::HidHandle::manufacturer, {});
}

std::string THIDDevice::ProductString(int N) {
    return deviceString(access_, paths_, N, &qv7::HidHandle::product, {});
}

std::string THIDDevice::SerialNumberString(int N) {
    return deviceString(access_, paths_, N, &qv7::HidHandle::serialNumber, "unknown");
}

bool THIDDevice::SelectDevice(int Index) {
    const int n = Enumerate();
    if (n == 0 || Index < 0 || Index >= n) return false;
    TUSBThread& thread = *thread_;
    thread.Pause();
    thread.DevicePath = GetDevicePath(Index).substr(0, MaxPathLength);
    thread.Connected.store(false);
    // A fresh open after every selection, so OnConnect comes again even for the same device.
    thread.ForgetHandle();
    thread.OnReport = [this](TUSBThread* sender, std::uint32_t bytesRead) {
        ReportReceived(sender, bytesRead);
    };
    thread.OnLost = [this](TUSBThread*) { raise(OnDisconnect, this); };
    thread.OnFound = [this](TUSBThread*) { raise(OnConnect, this); };
    thread.InputAwaited = [this] { return AwaitingInput(); };
    thread.Resume();
    return true;
}

bool THIDDevice::AttachDevice(int Index) {
    if (!SelectDevice(Index)) return false;
    TUSBThread& thread = *thread_;
    thread.Pause();
    bool attached = false;
    if (auto handle = access_.open(thread.DevicePath)) {
        if (auto lengths = handle->reportLengths()) {
            Caps = *lengths;
            thread.ReadLength = static_cast<std::uint32_t>(std::clamp(lengths->input, 0, 256));
            OutputReportLength = std::clamp(lengths->output, 0, 256);
            attached = true;
        }
    }
    thread.Resume();
    return attached;
}
