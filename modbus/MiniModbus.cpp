#include "modbus/MiniModbus.h"

#include "base/Errors.h"
#include "base/TextMarks.h"
#include "proto/Crc.h"
#include "proto/Rtu.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>

namespace {

constexpr std::size_t MaxFrame = 255;
constexpr std::size_t MaxDebugText = 255;

// Address, function and the two CRC bytes: anything shorter cannot be a reply.
constexpr std::size_t MinReply = 4;

std::uint16_t word(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] << 8 | bytes[at + 1]);
}

std::int64_t steadyNs(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}

// True when [start, start + count) lies inside an image of `size` elements. 64-bit arithmetic: the
// pending state may hold any 32-bit values.
bool insideImage(std::int64_t start, std::int64_t count, std::size_t size) {
    return start >= 0 && count >= 0 && start + count <= static_cast<std::int64_t>(size);
}

} // namespace

namespace {

// The marked French source of an exception's name.
const char* exceptionSource(int code) {
    switch (code) {
    case 1:
        return QT_TRANSLATE_NOOP("TMiniModbus", "fonction illégale");
    case 2:
        return QT_TRANSLATE_NOOP("TMiniModbus", "adresse de données illégale");
    case 3:
        return QT_TRANSLATE_NOOP("TMiniModbus", "valeur de donnée illégale");
    case 4:
        return QT_TRANSLATE_NOOP("TMiniModbus", "défaillance de l'appareil");
    case 5:
        return QT_TRANSLATE_NOOP("TMiniModbus", "acquittement");
    case 6:
        return QT_TRANSLATE_NOOP("TMiniModbus", "appareil occupé");
    case 8:
        return QT_TRANSLATE_NOOP("TMiniModbus", "erreur de parité mémoire");
    case 10:
        return QT_TRANSLATE_NOOP("TMiniModbus", "passerelle indisponible");
    case 11:
        return QT_TRANSLATE_NOOP("TMiniModbus", "pas de réponse derrière la passerelle");
    default:
        return QT_TRANSLATE_NOOP("TMiniModbus", "exception inconnue");
    }
}

const char* reasonSource(TRejectReason reason) {
    switch (reason) {
    case TRejectReason::BadCrc:
        return QT_TRANSLATE_NOOP("TMiniModbus", "CRC erroné");
    case TRejectReason::WrongAddress:
        return QT_TRANSLATE_NOOP("TMiniModbus", "réponse d'une autre adresse");
    case TRejectReason::Exception:
        return QT_TRANSLATE_NOOP("TMiniModbus", "exception %1, %2");
    case TRejectReason::WrongFunction:
        return QT_TRANSLATE_NOOP("TMiniModbus", "fonction inattendue");
    case TRejectReason::WrongLength:
        return QT_TRANSLATE_NOOP("TMiniModbus", "longueur inattendue");
    case TRejectReason::Stale:
        return QT_TRANSLATE_NOOP("TMiniModbus", "réponse périmée");
    }
    return QT_TRANSLATE_NOOP("TMiniModbus", "réponse refusée");
}

std::string inLanguage(const char* french, const TTextTranslation& translate) {
    return translate ? translate(french) : std::string(french);
}

} // namespace

std::string ExceptionName(int code, const TTextTranslation& translate) {
    return inLanguage(exceptionSource(code), translate);
}

std::string BookingText(TReplyBooking booking, const TTextTranslation& translate) {
    switch (booking) {
    case TReplyBooking::Unsolicited:
        return inLanguage(QT_TRANSLATE_NOOP("TMiniModbus", "non sollicitée"), translate);
    case TReplyBooking::Late:
        return inLanguage(QT_TRANSLATE_NOOP("TMiniModbus", "tardive, rejetée"), translate);
    case TReplyBooking::Answer:
    case TReplyBooking::None:
        break;
    }
    return {};
}

std::string RejectText(TRejectReason reason, int exceptionCode, const TTextTranslation& translate) {
    std::string text = inLanguage(reasonSource(reason), translate);
    if (reason != TRejectReason::Exception) return text;
    char code[3];
    std::snprintf(code, sizeof code, "%02X", exceptionCode & 0xFF);
    return qv7::fillTemplate(text, {code, ExceptionName(exceptionCode, translate)});
}

// ---------------------------------------------------------------------------------------------
// TCustomMiniModbus

TCustomMiniModbus::TCustomMiniModbus(qv7::FrameLink& link) : link_(link) {
    link_.setReceiver(this);
}

TCustomMiniModbus::~TCustomMiniModbus() {
    link_.setReceiver(nullptr);
}

std::uint16_t TCustomMiniModbus::ModbusCRC(std::span<const std::uint8_t> bytes) {
    return qv7::modbusCrc(bytes);
}

std::string TCustomMiniModbus::DebugText(const char* prefix, std::span<const std::uint8_t> bytes) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text = prefix;
    for (std::uint8_t byte : bytes) {
        if (text.size() >= MaxDebugText) break;
        text += digits[byte >> 4];
        text += digits[byte & 0x0F];
        text += ' ';
    }
    if (text.size() > MaxDebugText) text.resize(MaxDebugText);
    return text;
}

bool TCustomMiniModbus::TransmitFrame(const std::uint8_t* Frame, int Count) {
    if (Frame == nullptr || Count < 0) Count = 0;
    return transmit(std::span<const std::uint8_t>(Frame, static_cast<std::size_t>(Count)), nextStamp());
}

TCustomMiniModbus::FrameStamp TCustomMiniModbus::nextStamp() {
    return {++frameCount_, steadyNs(std::chrono::steady_clock::now())};
}

bool TCustomMiniModbus::transmit(std::span<const std::uint8_t> bytes, const FrameStamp& stamp) {
    ++FramesSent;
    BytesSent += static_cast<int>(bytes.size());
    if (TxDebugStream) TxDebugStream(this, DebugText("TX : ", bytes));
    if (OnFrame) OnFrame(this, {stamp.at, true, {bytes.begin(), bytes.end()}, {}, stamp.number});
    return link_.sendFrame(bytes);
}

std::vector<std::uint8_t> TCustomMiniModbus::FetchFrame() {
    if (current_ == nullptr) return {};
    const std::size_t count = std::min<std::size_t>(current_->bytes.size(), MaxFrame);
    std::copy_n(current_->bytes.begin(), count, LastFrame);
    LastLength = static_cast<int>(count);
    std::vector<std::uint8_t> frame(LastFrame, LastFrame + count);
    if (count >= 1) {
        ++FramesReceived;
        BytesReceived += static_cast<int>(count);
    }
    if (count >= 1 && RxDebugStream) RxDebugStream(this, DebugText("RX : ", frame));
    return frame;
}

void TCustomMiniModbus::frameArrived(const qv7::ReceivedFrame& frame) {
    // Numbered before the checks: a request its answer lets go comes after it.
    const std::int64_t number = ++frameCount_;
    current_ = &frame;
    Verdict = {};
    // Every frame goes to the checks: in echo-cancel mode the echo is skipped by length instead
    // of gating whole frames, which would stop all replies after the first transmission.
    FrameReceived();
    current_ = nullptr;
    if (!OnFrame) return;
    const auto began = frame.startedAt == std::chrono::steady_clock::time_point{}
                           ? std::chrono::steady_clock::now()
                           : frame.startedAt;
    OnFrame(this, {steadyNs(began), false, {frame.bytes.begin(), frame.bytes.end()}, Verdict, number});
}

// ---------------------------------------------------------------------------------------------
// TMiniModbusMaster: requests

TMiniModbusMaster::TMiniModbusMaster(qv7::FrameLink& link) : TCustomMiniModbus(link) {}

// FrameReceived is overridden here, so the link must stop handing frames over before this part goes.
TMiniModbusMaster::~TMiniModbusMaster() {
    Link().setReceiver(nullptr);
}

void TMiniModbusMaster::ReadHoldingRegisters(std::int32_t Start, std::int32_t Count) {
    SendRequest(3, Start, Count, Count);
}

void TMiniModbusMaster::ReadInputRegisters(std::int32_t Start, std::int32_t Count) {
    SendRequest(4, Start, Count, Count);
}

void TMiniModbusMaster::WriteSingleRegister(std::int32_t Address, std::int32_t Value) {
    SendRequest(6, Address, Value, 1);
}

void TMiniModbusMaster::WriteMultipleRegisters(std::int32_t Start, std::int32_t Count,
                                               const ProcessImage<std::uint16_t, 1025>& Registers) {
    if (Count > MaxBlockRegisters || !insideImage(Start, Count, Registers.size())) return;
    std::vector<std::uint16_t> values(static_cast<std::size_t>(Start + Count));
    for (std::int32_t i = Start; i < Start + Count; ++i)
        values[static_cast<std::size_t>(i)] = Registers[static_cast<std::size_t>(i)].load();
    WriteMultipleRegisters(Start, Count, values);
}

void TMiniModbusMaster::WriteMultipleRegisters(std::int32_t Start, std::int32_t Count,
                                               std::span<const std::uint16_t> Registers) {
    if (Count > MaxBlockRegisters || !insideImage(Start, Count, Registers.size())) return;
    const std::vector<std::uint8_t> frame = qv7::encodeWriteMultiple(Node, Start, Count, Registers);
    const FrameStamp stamp = nextStamp();
    recordRequest(16, Start, Count, frame.size(), stamp);
    transmit(frame, stamp);
}

std::int64_t TMiniModbusMaster::Now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void TMiniModbusMaster::SendRequest(std::int32_t Function, std::int32_t Address, std::int32_t Value,
                                    std::int32_t Count) {
    const std::vector<std::uint8_t> frame = qv7::encodeRequest(Node, Function, Address, Value);
    const FrameStamp stamp = nextStamp();
    recordRequest(Function, Address, Count, frame.size(), stamp);
    transmit(frame, stamp);
}

void TMiniModbusMaster::recordRequest(std::int32_t function, std::int32_t start, std::int32_t count,
                                      std::size_t bytes, const FrameStamp& stamp) {
    std::lock_guard lock(expectMutex_);
    const Request outstanding{PendingFunction.load(), PendingStart.load(), PendingCount.load(), pendingSent_};
    EchoLength = static_cast<std::int32_t>(bytes);
    // Copies in a row share one place, as old as the first; each answer takes one copy, oldest first.
    if (outstanding.function == function && outstanding.start == start && outstanding.count == count) {
        pendingSent_.push_back(stamp);
        return;
    }
    if (outstanding.function != -1) earlier_.push_back(outstanding);
    if (earlier_.size() > MaxEarlier) earlier_.pop_front();
    pendingSent_ = {stamp};
    PendingStart = start;
    PendingCount = count;
    RequestSentAt = stamp.at;
    // Written last: the reader thread takes the request by its function.
    PendingFunction = function;
}

std::vector<TMiniModbusMaster::ExpectedAnswer> TMiniModbusMaster::ExpectedAnswers() const {
    std::lock_guard lock(expectMutex_);
    std::vector<ExpectedAnswer> expected;
    for (const Request& r : earlier_)
        expected.push_back({r.function, r.start, r.count});
    if (PendingFunction.load() != -1)
        expected.push_back({PendingFunction.load(), PendingStart.load(), PendingCount.load()});
    return expected;
}

bool TMiniModbusMaster::AwaitingInput() const {
    const bool outstanding = PendingFunction.load() != -1 &&
                             Now() - RequestSentAt.load() < std::chrono::nanoseconds(ReplyWatch).count();
    return outstanding || TCustomMiniModbus::AwaitingInput();
}

// ---------------------------------------------------------------------------------------------
// TMiniModbusMaster: reply checks

void TMiniModbusMaster::FrameReceived() {
    const qv7::ReceivedFrame& frame = *CurrentFrame();
    CheckReply(FetchFrame(), steadyNs(frame.startedAt));
    LastFrameAt = steadyNs(frame.endedAt);
    if (frameHandled_) frameHandled_(this);
}

namespace {

// True when `body` (address, function and data, without CRC) can be the answer `request` gets, or
// the slave's refusal of it. A read's answer has the length the register count gives; a write's
// echoes its address (and count) when `echoed` is asked for.
bool fitsAnswer(std::span<const std::uint8_t> body, std::int32_t function, std::int64_t start,
                std::int64_t count, bool echoed) {
    if ((body[1] & 0x7F) != function) return false;
    if (body[1] & 0x80) return body.size() == 3;
    const auto sized = [&body](std::int64_t bytes) {
        return body.size() >= 3 && body[2] == bytes && body.size() == 3 + static_cast<std::size_t>(bytes);
    };
    switch (function) {
    case 1:
    case 2:
        return sized((count - 1) / 8 + 1);
    case 3:
    case 4:
        return sized(2 * count);
    case 5:
    case 6:
        return !echoed || (body.size() == 6 && word(body, 2) == (start & 0xFFFF));
    case 16:
        return !echoed || (body.size() == 6 && word(body, 2) == (start & 0xFFFF) && word(body, 4) == count);
    default:
        return true; // accepted, decoded by nobody
    }
}

} // namespace

void TMiniModbusMaster::reject(TRejectReason reason, int exceptionCode) {
    Verdict.rejected = true;
    Verdict.reason = reason;
    Verdict.exceptionCode = exceptionCode;
    ++Rejections[static_cast<std::size_t>(reason)];
    if (OnFrameRejected) OnFrameRejected(this, reason, exceptionCode);
}

std::optional<TMiniModbusMaster::Request>
TMiniModbusMaster::answersEarlier(std::span<const std::uint8_t> body, std::int64_t startedAt) {
    for (auto it = earlier_.begin(); it != earlier_.end(); ++it) {
        if (startedAt != 0 && startedAt < it->sentAt()) return std::nullopt; // the later ones went out later
        if (!fitsAnswer(body, it->function, it->start, it->count, true)) continue;
        const Request request = *it;
        // In order: the ones before it will not be answered any more; of its copies, the first is.
        earlier_.erase(earlier_.begin(), it);
        earlier_.front().sent.pop_front();
        if (earlier_.front().sent.empty()) earlier_.pop_front();
        return request;
    }
    return std::nullopt;
}

void TMiniModbusMaster::CheckReply(std::span<const std::uint8_t> frame, std::int64_t startedAt) {
    if (!EchoCancel) EchoLength = 0;
    const std::size_t echo = static_cast<std::size_t>(std::max(0, EchoLength.load()));
    // Only the echo so far: the reply is still to come.
    if (echo >= frame.size()) return;
    const std::span<const std::uint8_t> reply = frame.subspan(echo);
    const bool whole = reply.size() >= MinReply;
    const std::span<const std::uint8_t> body = reply.first(whole ? reply.size() - 2 : 0);
    const bool intact = whole && body[0] == Node &&
                        (reply[reply.size() - 1] << 8 | reply[reply.size() - 2]) == ModbusCRC(body);

    std::unique_lock lock(expectMutex_);
    // A late answer to a request awaited before the outstanding one.
    if (const auto earlier = intact ? answersEarlier(body, startedAt) : std::nullopt) {
        lock.unlock();
        bookFor(*earlier);
        if (body[1] & 0x80) return reject(TRejectReason::Exception, body.size() > 2 ? body[2] : 0);
        decodeReply(*earlier, body);
        return;
    }
    // Bytes that were on their way before the request went out answer an earlier one.
    if (startedAt != 0 && startedAt < RequestSentAt.load() && PendingFunction.load() != -1) {
        lock.unlock();
        Verdict.booking = TReplyBooking::Late;
        return reject(TRejectReason::Stale);
    }
    // The request is taken (and the master left idle) before decoding, so a request issued from an
    // event handler, or meanwhile on the window thread, is not forgotten with this reply.
    const Request request{PendingFunction.load(), PendingStart.load(), PendingCount.load(), pendingSent_};
    const bool answered = intact && request.function != -1 &&
                          fitsAnswer(body, request.function, request.start, request.count, false);
    // An answer settles every request before it; a frame that answers nothing leaves the request
    // awaited, since its own answer may still come. Other copies of it stay outstanding.
    if (answered) earlier_.clear();
    if (answered) bookFor(request);
    if (intact && !answered) Verdict.booking = TReplyBooking::Unsolicited;
    if (answered && request.sent.size() > 1) {
        pendingSent_.pop_front();
    } else {
        PendingFunction = -1;
        EchoLength = 0;
        pendingSent_.clear();
        if (!answered && request.function != -1) earlier_.push_back(request);
        if (earlier_.size() > MaxEarlier) earlier_.pop_front();
    }
    lock.unlock();

    if (!whole) return reject(TRejectReason::WrongLength);
    if (body[0] != Node) return reject(TRejectReason::WrongAddress);
    if (!intact) return reject(TRejectReason::BadCrc);
    if (body[1] & 0x80) return reject(TRejectReason::Exception, body.size() > 2 ? body[2] : 0);
    if (request.function == -1) return reject(TRejectReason::Stale);
    if ((body[1] & 0x7F) != request.function) return reject(TRejectReason::WrongFunction);
    if (!answered || !decodeReply(request, body)) reject(TRejectReason::WrongLength);
}

void TMiniModbusMaster::bookFor(const Request& request) {
    Verdict.function = request.function;
    Verdict.start = request.start;
    Verdict.count = request.count;
    Verdict.booking = TReplyBooking::Answer;
    if (request.sent.empty()) return;
    Verdict.request = request.sent.front().number;
    Verdict.requestAt = request.sent.front().at;
}

// ---------------------------------------------------------------------------------------------
// TMiniModbusMaster: decoder, one handler per function

bool TMiniModbusMaster::decodeReply(const Request& request, std::span<const std::uint8_t> body) {
    switch (request.function) {
    case 1:
        return decodeBits(body, request, TDataType::dtCoil, Coils);
    case 2:
        return decodeBits(body, request, TDataType::dtDiscreteInput, DiscreteInputs);
    case 3:
        return decodeRegisters(body, request, TDataType::dtHoldingRegister, HoldingRegisters);
    case 4:
        return decodeRegisters(body, request, TDataType::dtInputRegister, InputRegisters);
    case 5:
        decodeSingleCoil(body);
        return true;
    case 6:
        decodeSingleRegister(body);
        return true;
    case 16:
        decodeBlockWrite();
        return true;
    default:
        return true; // accepted but not one we decode
    }
}

bool TMiniModbusMaster::decodeBits(std::span<const std::uint8_t> body, const Request& request, TDataType type,
                                   ProcessImage<bool, 65>& image) {
    if (body.size() < 3) return false;
    const std::int64_t byteCount = body[2];
    if (byteCount != (request.count - 1) / 8 + 1) return false;
    if (3 + static_cast<std::size_t>(byteCount) > body.size()) return false;
    if (!insideImage(request.start, request.count, image.size())) return true;
    for (std::int64_t i = 0; i < request.count; ++i) {
        const bool bit = (body[3 + static_cast<std::size_t>(i / 8)] >> (i % 8) & 1) != 0;
        image[static_cast<std::size_t>(request.start + i)] = bit;
        arrive(type, request.start + i, bit ? 1 : 0);
    }
    return true;
}

bool TMiniModbusMaster::decodeRegisters(std::span<const std::uint8_t> body, const Request& request,
                                        TDataType type, ProcessImage<std::uint16_t, 1025>& image) {
    if (body.size() < 3) return false;
    const std::int64_t byteCount = body[2];
    if (byteCount != 2 * request.count) return false;
    if (3 + static_cast<std::size_t>(byteCount) > body.size()) return false;
    if (!insideImage(request.start, request.count, image.size())) return true;
    for (std::int64_t i = 0; i < request.count; ++i) {
        const std::uint16_t value = word(body, 3 + 2 * static_cast<std::size_t>(i));
        image[static_cast<std::size_t>(request.start + i)] = value;
        arrive(type, request.start + i, value);
    }
    return true;
}

void TMiniModbusMaster::decodeSingleCoil(std::span<const std::uint8_t> body) {
    if (body.size() < 6) return;
    const std::uint16_t address = word(body, 2);
    const std::uint16_t value = word(body, 4);
    if (!insideImage(address, 1, Coils.size())) return;
    Coils[address] = value != 0;
    // The raw echoed value (FF00 hex for "on"), as the slave sent it.
    arrive(TDataType::dtCoil, address, value);
}

void TMiniModbusMaster::decodeSingleRegister(std::span<const std::uint8_t> body) {
    if (body.size() < 6) return;
    const std::uint16_t address = word(body, 2);
    const std::uint16_t value = word(body, 4);
    if (!insideImage(address, 1, HoldingRegisters.size())) return;
    HoldingRegisters[address] = value;
    arrive(TDataType::dtHoldingRegister, address, value);
}

void TMiniModbusMaster::decodeBlockWrite() {
    if (OnWordBlockWriting) OnWordBlockWriting(this);
}

void TMiniModbusMaster::arrive(TDataType type, std::int64_t address, std::int32_t data) {
    if (OnDataArrival) OnDataArrival(this, type, static_cast<std::int32_t>(address), data);
}
