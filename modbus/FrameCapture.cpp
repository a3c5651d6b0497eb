#include "modbus/FrameCapture.h"

#include "base/Errors.h"
#include "base/Files.h"
#include "base/TextMarks.h"
#include "modbus/MiniModbus.h"

#include <chrono>
#include <cstddef>

namespace qv7 {

namespace {

constexpr std::uint32_t SectionHeader = 0x0A0D0D0A;
constexpr std::uint32_t InterfaceDescription = 1;
constexpr std::uint32_t EnhancedPacket = 6;
constexpr std::uint16_t OptComment = 1;
constexpr std::uint16_t OptFlags = 2; // epb_flags
// epb_flags bits 0-1: the packet's direction.
constexpr std::uint32_t Inbound = 1;
constexpr std::uint32_t Outbound = 2;

// Every field little-endian: the section's byte-order magic says so to the reader.
void put16(std::string& out, std::uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}
void put32(std::string& out, std::uint32_t v) {
    put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    put16(out, static_cast<std::uint16_t>(v >> 16));
}
void pad(std::string& out) {
    while (out.size() % 4 != 0)
        out += '\0';
}
void putOption(std::string& out, std::uint16_t code, const std::string& value) {
    put16(out, code);
    put16(out, static_cast<std::uint16_t>(value.size()));
    out += value;
    pad(out);
}

// A block around `body` (already padded): type, total length, body, total length again.
std::string block(std::uint32_t type, const std::string& body) {
    std::string out;
    const auto total = static_cast<std::uint32_t>(body.size() + 12);
    put32(out, type);
    put32(out, total);
    out += body;
    put32(out, total);
    return out;
}

std::string fileHeader() {
    std::string section;
    put32(section, 0x1A2B3C4D); // byte-order magic
    put16(section, 1);          // version 1.0
    put16(section, 0);
    put32(section, 0xFFFFFFFF); // section length not given
    put32(section, 0xFFFFFFFF);
    std::string interface;
    put16(interface, FrameCapture::LinkType);
    put16(interface, 0);
    put32(interface, 0); // no snapshot limit; time stamps in microseconds (the default resolution)
    return block(SectionHeader, section) + block(InterfaceDescription, interface);
}

std::int64_t nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
std::int64_t wallNowUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::string said(const char* french, const TTextTranslation& translate) {
    return translate ? translate(french) : std::string(french);
}

} // namespace

std::string FrameCapture::comment(const TFrameRecord& frame, const TTextTranslation& translate) {
    const TFrameVerdict& v = frame.verdict;
    std::string text;
    if (frame.number > 0)
        text = fillTemplate(said(QT_TRANSLATE_NOOP("TMiniModbus", "N° %1"), translate),
                            {std::to_string(frame.number)});
    std::string booking;
    switch (frame.outbound ? TReplyBooking::None : v.booking) {
    case TReplyBooking::Answer:
        if (v.request > 0)
            booking = fillTemplate(said(QT_TRANSLATE_NOOP("TMiniModbus", "réponse au N° %1"), translate),
                                   {std::to_string(v.request)});
        break;
    case TReplyBooking::Unsolicited:
    case TReplyBooking::Late:
        booking = BookingText(v.booking, translate);
        break;
    case TReplyBooking::None:
        break;
    }
    if (!booking.empty()) text += (text.empty() ? "" : ", ") + booking;
    if (!frame.outbound && v.rejected)
        text += (text.empty() ? "" : " : ") + RejectText(v.reason, v.exceptionCode, translate);
    return text;
}

FrameCapture::FrameCapture(TTextTranslation translate)
    : FrameCapture(nowNs(), wallNowUs(), std::move(translate)) {}

FrameCapture::FrameCapture(std::int64_t steadyNs, std::int64_t wallUs, TTextTranslation translate)
    : steadyNs_(steadyNs), wallUs_(wallUs), translate_(std::move(translate)), bytes_(fileHeader()) {}

std::string FrameCapture::packetBlock(std::int64_t wallUs, bool outbound, std::span<const std::uint8_t> frame,
                                      const std::string& comment) {
    std::string body;
    const auto time = static_cast<std::uint64_t>(wallUs);
    put32(body, 0); // the one interface
    put32(body, static_cast<std::uint32_t>(time >> 32));
    put32(body, static_cast<std::uint32_t>(time & 0xFFFFFFFF));
    put32(body, static_cast<std::uint32_t>(frame.size())); // captured
    put32(body, static_cast<std::uint32_t>(frame.size())); // on the line
    body.append(reinterpret_cast<const char*>(frame.data()), frame.size());
    pad(body);
    std::string flags;
    put32(flags, outbound ? Outbound : Inbound);
    putOption(body, OptFlags, flags);
    // An option's length is 16 bits; a reason is a few words.
    if (!comment.empty()) putOption(body, OptComment, comment.substr(0, 0xFFFF));
    put32(body, 0); // end of options
    return block(EnhancedPacket, body);
}

void FrameCapture::add(const TFrameRecord& frame) {
    const std::string comment = FrameCapture::comment(frame, translate_);
    const std::int64_t wallUs = wallUs_ + (frame.at - steadyNs_) / 1000;
    const std::string packet = packetBlock(wallUs, frame.outbound, frame.bytes, comment);
    if (bytes_.size() + packet.size() > MaxBytes) {
        ++dropped_;
        return;
    }
    std::size_t place = recent_.size();
    while (place > 0 && recent_[place - 1].at > frame.at)
        --place;
    const std::size_t offset = place < recent_.size() ? recent_[place].offset : bytes_.size();
    bytes_.insert(offset, packet);
    for (std::size_t i = place; i < recent_.size(); ++i)
        recent_[i].offset += packet.size();
    recent_.insert(recent_.begin() + static_cast<std::ptrdiff_t>(place), {frame.at, offset});
    if (recent_.size() > ReorderDepth) recent_.pop_front();
    ++frames_;
}

int FrameCapture::save(const std::string& path) const {
    return saveWholeFile(path, bytes_);
}

} // namespace qv7
