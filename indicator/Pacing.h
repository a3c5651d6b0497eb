// When the next request to the indicator may go: the timing rule of every exchange, kept in this one
// place for the window and qv7ctl alike. The indicator component consults it on its own thread; it
// knows nothing of Qt or of the link and is driven by the time points it is given.
//
// The rule:
// - One request is outstanding at a time. When no reply has moved the transfer on within the repeat
//   interval, the same request goes again. The repeat interval is never shorter than the response
//   time-out: the request's and the reply's time on the line at its speed (11 bits a character),
//   plus what the indicator and the bridge add (ResponseAllowance, 150 ms). At 1200 baud a 16-register read
//   takes 412 ms on the line alone; the window repeats after 1000 ms.
// - An answer may still come up to the reply horizon after the copy it answers went out. A request
//   sent more than once, or abandoned before its answer came, stays unsettled until the horizon has
//   passed since its last copy, and no request whose answer it could be taken for (same function,
//   same reply length: registers 0-11 and 16-27, any two table blocks) goes while it is unsettled.
//   Otherwise the late answer to a repeated read of registers 0-11 would be booked as 16-27.
// - The next request waits at least the Modbus silent interval (3.5 characters) after the last frame
//   from the indicator.
// - A frame that began before a request went out is never taken as its answer (the master drops it).
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace qv7 {

using PacingClock = std::chrono::steady_clock;

// What tells one request's answer from another's: its function and, for reads, the register count
// (the answer carries neither address nor anything else that could tell two reads apart).
struct RequestShape {
    int function = 0;
    int count = 0; // registers read or written; 1 for a single write

    int requestBytes() const;
    int replyBytes() const;
    bool operator==(const RequestShape&) const = default;
};

// True when an answer to `earlier` would pass the master's checks as the answer to `next`.
bool mayBeTakenFor(const RequestShape& earlier, const RequestShape& next);

class RequestPacing {
public:
    using Duration = std::chrono::nanoseconds;
    using TimePoint = PacingClock::time_point;

    static constexpr int BitsPerCharacter = 11;
    // What an indicator and the bridge add to the line time of an exchange.
    static constexpr std::chrono::milliseconds ResponseAllowance{150};

    // The line's speed in baud (the bridge's port format); 9600 until told otherwise.
    void setBaud(int baud);
    int baud() const { return baud_; }
    // The least wait before a repeat (the component's step interval).
    void setRepeatInterval(Duration interval) { repeatInterval_ = interval; }
    // How late an answer can still come after its request; never less than the response time-out.
    void setReplyHorizon(Duration horizon) { replyHorizon_ = horizon; }
    // ResponseAllowance unless told otherwise (a simulated indicator answers at once).
    void setResponseAllowance(Duration allowance) { allowance_ = allowance; }

    Duration silentInterval() const;
    Duration responseTimeout(const RequestShape& request) const;
    Duration repeatInterval(const RequestShape& request) const;
    Duration replyHorizon(const RequestShape& request) const;

    // A request went out at `at`; repeat: a copy of the outstanding one. A new request abandons an
    // outstanding one that had no answer.
    void sent(const RequestShape& request, TimePoint at, bool repeat);
    // The outstanding request's answer has been booked.
    void answered();
    // The earliest time `next` may go, given when the last frame from the indicator ended
    // (a default TimePoint when none came yet). Forgets what has settled by `now`.
    TimePoint earliest(const RequestShape& next, TimePoint lastFrame, TimePoint now);

    // Requests whose answers may still come, for tests and the soak's figures.
    std::size_t unsettledCount() const { return unsettled_.size(); }

private:
    struct Outstanding {
        RequestShape shape;
        int copies = 0;
        TimePoint lastSent;
    };
    struct Unsettled {
        RequestShape shape;
        TimePoint until;
    };
    void settle(const Outstanding& request);

    int baud_ = 9600;
    Duration repeatInterval_ = std::chrono::milliseconds(1000);
    Duration replyHorizon_ = std::chrono::milliseconds(1000);
    Duration allowance_ = ResponseAllowance;
    std::optional<Outstanding> outstanding_;
    std::vector<Unsettled> unsettled_;
};

} // namespace qv7
