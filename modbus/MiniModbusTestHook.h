// A seam for tests and the fuzzer: hands a received frame straight to the master's reply checks
// and decoder on the calling thread, without a bridge or a reader thread. Not for the tool itself.
#pragma once

#include "modbus/MiniModbus.h"

#include <cstdint>
#include <span>
#include <utility>

struct MiniModbusTestHook {
    // Runs the checks and the decoder exactly as the reader thread does for a frame (the frame
    // without the "RX : " trace, which belongs to fetching it from the bridge).
    // startedAt: when the frame's first byte came (steady-clock nanoseconds; 0 for "not known").
    static void CheckReply(TMiniModbusMaster& master, std::span<const std::uint8_t> frame,
                           std::int64_t startedAt = 0) {
        master.CheckReply(frame, startedAt);
    }
    // Records a request as sent, without sending it.
    static void Record(TMiniModbusMaster& master, std::int32_t function, std::int32_t start,
                       std::int32_t count) {
        master.recordRequest(function, start, count, 8, master.nextStamp());
    }
    // Forgets every request awaited, the outstanding one included.
    static void ForgetRequests(TMiniModbusMaster& master) {
        std::lock_guard lock(master.expectMutex_);
        master.earlier_.clear();
        master.pendingSent_.clear();
        master.PendingFunction = -1;
    }
    // Raised on the reader thread after each received frame was checked and decoded (or dropped).
    // Set before the device is opened.
    static void OnFrameHandled(TMiniModbusMaster& master, TNotifyEvent event) {
        master.frameHandled_ = std::move(event);
    }
};
