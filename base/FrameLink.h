// The seam between the Modbus master and whatever carries its frames. A link sends whole frames,
// hands every whole frame it receives to its one receiver, and tells its line's format so that the
// owner can time the exchange. The HID-serial bridge is one such link; the master knows nothing of
// HID, reports or device selection, only of this. Qt-free.
#pragma once

#include <chrono>
#include <cstdint>
#include <span>

namespace qv7 {

// A serial line's speed and character size, for timing: a link configures its line itself.
struct LineFormat {
    int baud = 9600;
    // Start bit, 8 data bits, then parity and one stop bit or no parity and two: 11 either way.
    int bitsPerCharacter = 11;

    // One character on the line, rounded up to the microsecond.
    constexpr std::chrono::microseconds characterTime() const { return upTo(10 * bitsPerCharacter); }
    // The RTU silent interval that ends a frame and must pass before the next: 3.5 characters,
    // rounded up to the microsecond.
    constexpr std::chrono::microseconds silentInterval() const { return upTo(35 * bitsPerCharacter); }
    bool operator==(const LineFormat&) const = default;

private:
    // tenthsOfBits / 10 bit times, rounded up.
    constexpr std::chrono::microseconds upTo(std::int64_t tenthsOfBits) const {
        const std::int64_t rate = baud < 1 ? 1 : baud;
        return std::chrono::microseconds((tenthsOfBits * 100000 + rate - 1) / rate);
    }
};

// One whole frame as a link received it. The bytes stay valid only during the call that hands it over.
struct ReceivedFrame {
    std::span<const std::uint8_t> bytes;
    // When its first byte reached the PC: a frame begun before a request went out cannot answer it.
    std::chrono::steady_clock::time_point startedAt{};
    // When it was over on the line (at the latest): the next request waits a silent interval after it.
    std::chrono::steady_clock::time_point endedAt{};
};

// What a link hands its frames to. Both calls come on the link's receiving thread.
class FrameReceiver {
public:
    virtual ~FrameReceiver() = default;
    // A whole frame arrived, whatever it holds; take its bytes during the call.
    virtual void frameArrived(const ReceivedFrame& frame) = 0;
    // True while an answer is awaited: a link that polls then takes input at once instead of resting.
    virtual bool answerAwaited() const { return false; }
};

class FrameLink {
public:
    virtual ~FrameLink() = default;
    // Caller's thread. Sends one whole frame, with whatever the link itself puts in front of it,
    // and returns once it is handed over (a bounded wait: the bridge's hand-off limit per report).
    // True when the frame's last byte was handed over; nothing is retried.
    virtual bool sendFrame(std::span<const std::uint8_t> frame) = 0;
    // Any thread. Makes `receiver` the one that gets every frame from now on; nullptr detaches.
    // Returns only once no call into the receiver it replaces is running, so a receiver can detach
    // itself in its destructor while the link goes on.
    virtual void setReceiver(FrameReceiver* receiver) = 0;
    // Any thread. The line's format as the link has set it.
    virtual LineFormat lineFormat() const = 0;
};

} // namespace qv7
