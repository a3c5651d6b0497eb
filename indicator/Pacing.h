// When the next request to the indicator may go: the timing rule of every exchange, kept in this one
// place for the window and qv7ctl alike. The indicator component consults it on its own thread; it
// knows nothing of Qt or of the link but the line's format, and is driven by the time points it is given.
//
// The rule:
// - One request is outstanding at a time. When no reply has moved the transfer on within the repeat
//   interval, it went unanswered. The repeat interval is never shorter than the response time-out:
//   the request's and the reply's time on the line at its format (11 bits a character), plus what the
//   indicator and the bridge add (ResponseAllowance, 150 ms). At 1200 baud a 16-register read takes
//   412 ms on the line alone; the window waits 1000 ms.
// - An answer is booked only with proof that it answers the request it is booked for, however late
//   it comes. The bridge and the indicator answer strictly in order, and the master books a frame
//   for the oldest request still awaited whose answer it fits (function, length, sent before the
//   frame began). That is proof as long as no two awaited requests have answers that look alike
//   (registers 0-11 and 16-27, any two table blocks): so after any request that went unanswered
//   (its repeat interval passed, or a new transfer abandoned it) the next request is the probe, a
//   read of input registers 1-2 whose answer no other request's can be mistaken for. No other
//   request goes until an answer to the probe came (the probe is repeated like any request); by
//   then every request sent before it was answered or never will be. A late answer to the
//   unanswered request that comes before the probe's answer is still its own, and booked.
//   Then the transfer goes on, with its unanswered request sent again.
// - The next request waits at least the Modbus silent interval (3.5 characters) after the last frame
//   from the indicator.
#pragma once

#include "base/FrameLink.h"

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

// The probe: input registers 1-2, read by nothing else.
inline constexpr int ProbeFunction = 4;
inline constexpr int ProbeStart = 1;
inline constexpr int ProbeCount = 2;
inline constexpr RequestShape ProbeShape{ProbeFunction, ProbeCount};

// True when a request other than the probe may go while the master still awaits the answers of
// `awaited` (oldest first): when none but the probe's is awaited.
bool lineIsClear(const std::vector<RequestShape>& awaited);

class RequestPacing {
public:
    using Duration = std::chrono::nanoseconds;
    using TimePoint = PacingClock::time_point;

    // What an indicator and the bridge add to the line time of an exchange.
    static constexpr std::chrono::milliseconds ResponseAllowance{150};

    // The line's format (the link's); 9600 baud, 11 bits a character until told otherwise.
    void setLine(const LineFormat& line) { line_ = line; }
    // The same, 11 bits a character.
    void setBaud(int baud);
    int baud() const { return line_.baud; }
    // The least wait before a repeat (the component's step interval).
    void setRepeatInterval(Duration interval) { repeatInterval_ = interval; }
    // ResponseAllowance unless told otherwise (a simulated indicator answers at once).
    void setResponseAllowance(Duration allowance) { allowance_ = allowance; }

    Duration silentInterval() const;
    Duration responseTimeout(const RequestShape& request) const;
    Duration repeatInterval(const RequestShape& request) const;

    // The earliest time the next request may go, given when the last frame from the indicator ended
    // (a default TimePoint when none came yet).
    TimePoint earliest(TimePoint lastFrame, TimePoint now) const;

private:
    LineFormat line_;
    Duration repeatInterval_ = std::chrono::milliseconds(1000);
    Duration allowance_ = ResponseAllowance;
};

} // namespace qv7
