// One frame as the master saw it go out or come in, and what it made of it: what frame monitors and
// capture files are made from. Qt-free; a plain value any thread may hold.
#pragma once

#include <cstdint>
#include <vector>

// Why a received frame was not booked as an answer.
enum class TRejectReason {
    BadCrc,        // the CRC does not match the bytes
    WrongAddress,  // another slave address than Node
    Exception,     // the slave refused the request (function with bit 7 set)
    WrongFunction, // the answer of no request awaited
    WrongLength,   // too short, or not the length the request's answer has
    Stale          // began before the request it would answer went out
};
inline constexpr int RejectReasonCount = 6;

// What the master made of a received frame as a reply.
enum class TReplyBooking {
    None,        // not a reply it could read (damaged, another address, too short)
    Answer,      // booked for the request numbered `request`
    Unsolicited, // intact, but the answer of no request awaited
    Late         // began before the request it could answer went out: dropped
};

// What the master's checks made of a received frame.
struct TFrameVerdict {
    bool rejected = false;
    TRejectReason reason = TRejectReason::BadCrc;
    int exceptionCode = 0; // the slave's code when reason is Exception
    // The request the frame was booked for (a refusal included); function -1: none.
    std::int32_t function = -1;
    std::int64_t start = 0;
    std::int64_t count = 0;
    TReplyBooking booking = TReplyBooking::None;
    // Answer: the number of the request frame booked for, and when that frame went (TFrameRecord::at).
    std::int64_t request = 0;
    std::int64_t requestAt = 0;
};

struct TFrameRecord {
    // Steady-clock nanoseconds: when a sent frame was about to be handed to the link, when the first
    // byte of a received one reached the PC.
    std::int64_t at = 0;
    bool outbound = false;
    std::vector<std::uint8_t> bytes; // the whole frame, CRC included, as it went or came
    TFrameVerdict verdict;           // received frames only
    // The master's count of the frames it sent and received, from 1 (0: not numbered): what the
    // monitor and the capture call the frame, and what a reply's verdict names its request by.
    std::int64_t number = 0;
};
