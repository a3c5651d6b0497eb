// Capture files of the frames a master sent and received, in the pcapng format that Wireshark and
// tshark read: one section, one interface of link type USER0 (147), and one enhanced packet per
// whole RTU frame with its own time and its direction in the packet flags. Each packet's comment
// gives the master's number of the frame and, for a reply, the request the master booked it for
// (or that it was unsolicited, or late and dropped), the numbers the frame monitor shows; a frame
// the master rejected is kept as received, with the reason after them. Wireshark decodes the
// frames as Modbus RTU once its user-DLT table maps USER0 to "mbrtu".
//
// The file is built in memory while the frames come and saved whole at the end, so a capture is a
// complete file or none. Qt-free; one thread at a time (the owner's).
#pragma once

#include "modbus/FrameRecord.h"
#include "modbus/MiniModbus.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <string>

namespace qv7 {

class FrameCapture {
public:
    // The link type of the frames: DLT_USER0.
    static constexpr std::uint16_t LinkType = 147;
    // The most a capture holds in memory: about a million frames of a busy line, days of live
    // reading. Frames beyond it are counted in dropped(), not kept.
    static constexpr std::size_t MaxBytes = std::size_t{64} << 20;

    // The steady clock's `steadyNs` stands for the wall clock's `wallUs` (microseconds since the
    // epoch); by default, both now. `translate` says the reasons in the writer's language (RejectText).
    explicit FrameCapture(TTextTranslation translate = {});
    FrameCapture(std::int64_t steadyNs, std::int64_t wallUs, TTextTranslation translate = {});

    // "N° 12, réponse au N° 11 : exception 02, …": the packet comment of `frame`, in the language of
    // `translate`.
    static std::string comment(const TFrameRecord& frame, const TTextTranslation& translate = {});
    // Appends the frame as one packet, with its comment.
    // A received frame comes once the checks are done with it, when the request it let go may be in
    // already: it goes before the last packets that began after it, so the file is in time order.
    void add(const TFrameRecord& frame);
    // How many of the last packets a late frame may pass.
    static constexpr std::size_t ReorderDepth = 16;
    // The capture file as it stands: the section and interface headers, then the packets.
    const std::string& bytes() const { return bytes_; }
    std::size_t frames() const { return frames_; }
    std::size_t dropped() const { return dropped_; }
    // Saves the file whole or not at all (base/Files.h); 0 or the system's error number.
    int save(const std::string& path) const;

    // The enhanced packet block of one frame: `wallUs` its time, `outbound` its direction.
    static std::string packetBlock(std::int64_t wallUs, bool outbound, std::span<const std::uint8_t> frame,
                                   const std::string& comment);

private:
    std::int64_t steadyNs_;
    std::int64_t wallUs_;
    TTextTranslation translate_;
    std::string bytes_;
    struct Placed {
        std::int64_t at; // the frame's steady-clock time
        std::size_t offset;
    };
    std::deque<Placed> recent_; // the last ReorderDepth packets, in file order
    std::size_t frames_ = 0;
    std::size_t dropped_ = 0;
};

} // namespace qv7
