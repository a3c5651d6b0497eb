// Modbus RTU over a frame link (base/FrameLink.h). TCustomMiniModbus frames, checks and traces; the
// master builds requests for functions 3, 4, 6 and 16 and decodes replies into its process image.
// Requests are sent on the caller's (window) thread and never wait for the reply; replies are
// decoded and their events raised on the link's receiving (reader) thread, in ascending address order.
// The link is the owner's: it is built before the master and outlives it.
//
// The slave answers strictly in order. The master keeps the requests whose answers may still come,
// oldest first (the outstanding one last), and books a frame for the first of them it fits: same
// function, the length that request's answer has, and sent before the frame began. The requests
// before the one it answers went unanswered for good and are forgotten. Telling alike requests
// apart (two reads of 12 registers) is the owner's business: it never awaits two of them at once.
#pragma once

#include "base/Component.h"
#include "base/FrameLink.h"
#include "modbus/FrameRecord.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

enum class TDataType { dtDiscreteInput = 0, dtCoil = 1, dtInputRegister = 2, dtHoldingRegister = 3 };

using TDataArrivalEvent =
    std::function<void(TComponent* Sender, TDataType DataType, std::int32_t Address, std::int32_t Data)>;
using TDebugStreamEvent = std::function<void(TComponent* Sender, const std::string& StrDebug)>;

// The reasons and the exceptions' names are written once, here, in French and marked for the
// translation tools (context "TMiniModbus"); a caller that speaks another language hands its
// translation of a marked text. Without one the French stands.
using TTextTranslation = std::function<std::string(const char* french)>;
// "CRC erroné", "exception 02, adresse de données illégale", ...: the reason as a user reads it.
std::string RejectText(TRejectReason reason, int exceptionCode, const TTextTranslation& translate = {});
// How the master classed a reply it booked to no request: "non sollicitée", "tardive, rejetée";
// empty for an answer or a frame sent.
std::string BookingText(TReplyBooking booking, const TTextTranslation& translate = {});
// The Modbus name of an exception code ("adresse de données illégale"); "exception inconnue" otherwise.
std::string ExceptionName(int code, const TTextTranslation& translate = {});
// exceptionCode: the slave's code for Exception, 0 otherwise.
using TRejectEvent = std::function<void(TComponent* Sender, TRejectReason Reason, int exceptionCode)>;
using TFrameEvent = std::function<void(TComponent* Sender, const TFrameRecord& Frame)>;

// A process-image array shared by the reader thread (decoder) and the window thread (owner):
// each element is one atomic word.
template <typename T, std::size_t N> using ProcessImage = std::array<std::atomic<T>, N>;

class TCustomMiniModbus : public TComponent, protected qv7::FrameReceiver {
public:
    // Becomes `link`'s receiver.
    explicit TCustomMiniModbus(qv7::FrameLink& link);
    // Detaches from the link, waiting for a frame being handed over.
    ~TCustomMiniModbus() override;
    TCustomMiniModbus(const TCustomMiniModbus&) = delete;
    TCustomMiniModbus& operator=(const TCustomMiniModbus&) = delete;

    qv7::FrameLink& Link() const { return link_; }

    // Set before the link is opened (the reader thread compares every reply's address with it).
    std::uint8_t Node = 2;
    // Echo handling: when true, a received frame is expected to begin with the echo of the last
    // request (EchoLength bytes), which is skipped before the checks; a frame no longer than the
    // echo leaves the request outstanding. No part of the tool sets it. Set before the link is opened.
    bool EchoCancel = false;
    TDataArrivalEvent OnDataArrival;
    TDebugStreamEvent TxDebugStream;
    TDebugStreamEvent RxDebugStream;
    TNotifyEvent OnWordBlockWriting;
    // Reader thread: a received frame was dropped, and why. Set before the link is opened.
    TRejectEvent OnFrameRejected;
    // Every frame handed to the link (caller's thread, just before it goes) and every frame received
    // (reader thread, once the checks are done with it, with their verdict). Set before the link is opened.
    TFrameEvent OnFrame;
    // Frames dropped so far, by TRejectReason (any thread).
    std::array<std::atomic<int>, RejectReasonCount> Rejections{};
    // Frames handed to the link and received, and their bytes, since construction (any thread).
    std::atomic<int> FramesSent{0}, BytesSent{0}, FramesReceived{0}, BytesReceived{0};

    ProcessImage<bool, 65> DiscreteInputs{};
    ProcessImage<bool, 65> Coils{};
    ProcessImage<std::uint16_t, 1025> InputRegisters{};
    ProcessImage<std::uint16_t, 1025> HoldingRegisters{};

    // Caller's thread: "TX : " trace, then the link's sendFrame (on the bridge: a port-format report
    // with ModeBit6 set, then the data reports). Returns the link's result: true when the frame's last
    // byte was handed over. Touches no pending state.
    bool TransmitFrame(const std::uint8_t* Frame, int Count);
    // Reader thread, while a frame is being handed over: copies it to LastFrame and traces it.
    // Empty outside that call.
    std::vector<std::uint8_t> FetchFrame();
    // CRC-16/MODBUS (start FFFF hex, polynomial A001 hex reflected, no final XOR); sent low byte first.
    static std::uint16_t ModbusCRC(std::span<const std::uint8_t> bytes);
    // "TX : " or "RX : " and two upper-case hex digits and a blank per byte, cut at 255 characters.
    static std::string DebugText(const char* prefix, std::span<const std::uint8_t> bytes);

    // Reader thread: true while a request's answer is awaited, so that the link's reader takes each
    // report as it comes. The base awaits nothing.
    virtual bool AwaitingInput() const { return false; }

protected:
    // A frame's number and time, given when it is sent or as it arrives.
    struct FrameStamp {
        std::int64_t number = 0;
        std::int64_t at = 0;
    };
    // Any thread: the next frame's number, with `at` now.
    FrameStamp nextStamp();
    // As TransmitFrame, with the number and time the frame's record carries.
    bool transmit(std::span<const std::uint8_t> bytes, const FrameStamp& stamp);
    // Reader thread: every received frame, whatever it holds. The base ignores frames.
    virtual void FrameReceived() {}
    // Reader thread, during FrameReceived: the frame being handed over (its bytes through FetchFrame).
    const qv7::ReceivedFrame* CurrentFrame() const { return current_; }

    std::uint8_t LastFrame[255] = {}; // reader thread only
    // Reader thread, during FrameReceived: what the checks made of the frame, for OnFrame.
    TFrameVerdict Verdict;
    int LastLength = 0;

private:
    void frameArrived(const qv7::ReceivedFrame& frame) override;
    bool answerAwaited() const override { return AwaitingInput(); }

    qv7::FrameLink& link_;
    const qv7::ReceivedFrame* current_ = nullptr; // reader thread only
    std::atomic<std::int64_t> frameCount_{0};
};

class TMiniModbusMaster : public TCustomMiniModbus {
public:
    explicit TMiniModbusMaster(qv7::FrameLink& link);
    ~TMiniModbusMaster() override;

    // Caller's thread. Each request replaces the outstanding one and returns once the link took its
    // frame (the bridge: up to 100 ms a report); the reply arrives later as events on the reader thread.
    // Start, Count, Address and Value go on the wire as 16-bit fields (higher bits dropped).
    void ReadHoldingRegisters(std::int32_t Start, std::int32_t Count);
    void ReadInputRegisters(std::int32_t Start, std::int32_t Count);
    void WriteSingleRegister(std::int32_t Address, std::int32_t Value);
    // Sends Registers[Start .. Start+Count-1], each low byte first (the indicator's order). Sends
    // nothing when the block leaves the array or exceeds 123 registers (a 255-byte frame).
    void WriteMultipleRegisters(std::int32_t Start, std::int32_t Count,
                                const ProcessImage<std::uint16_t, 1025>& Registers);
    void WriteMultipleRegisters(std::int32_t Start, std::int32_t Count,
                                std::span<const std::uint16_t> Registers);

    // The outstanding request, written before the frame is handed to the link.
    std::atomic<std::int32_t> EchoLength{0};
    std::atomic<std::int32_t> PendingFunction{-1};
    std::atomic<std::int32_t> PendingStart{0};
    std::atomic<std::int32_t> PendingCount{0};

    // Timing of the exchange, for whoever paces the requests (steady-clock nanoseconds, any thread):
    // when the last request was about to be handed over, and when the last frame from the slave was
    // over on the line (as the link tells it).
    std::atomic<std::int64_t> RequestSentAt{0};
    std::atomic<std::int64_t> LastFrameAt{0};
    static std::int64_t Now();

    static constexpr std::int32_t MaxBlockRegisters = 123;
    // How long after a request its answer is awaited at the pace of the reports: longer than the
    // slowest exchange on the line (a 255-byte frame each way at 1200 baud), so only an answer that
    // will never come lets the reader rest.
    static constexpr std::chrono::seconds ReplyWatch{6};

    // Reader thread: a request outstanding keeps the reader taking each report as it comes.
    bool AwaitingInput() const override;

    // A request whose answer may still come.
    struct ExpectedAnswer {
        std::int32_t function;
        std::int64_t start;
        std::int64_t count;
        bool operator==(const ExpectedAnswer&) const = default;
    };
    // Any thread: the requests whose answers may still come, oldest first, the outstanding one last.
    std::vector<ExpectedAnswer> ExpectedAnswers() const;
    // Requests remembered before the outstanding one (copies in a row count once); older ones are
    // forgotten. The owner sends only probes while an answer is awaited, so this is never reached
    // unless other requests are made by hand during a long silence.
    static constexpr std::size_t MaxEarlier = 32;

protected:
    void FrameReceived() override;

private:
    friend struct MiniModbusTestHook; // feeds frames to the checks without a link (tests, fuzzing)
    // Test seam, set only through the hook before the link is opened: raised on the reader thread
    // once a received frame has been dealt with completely, so tests know when a dropped reply is done.
    TNotifyEvent frameHandled_;

    // The request a reply is checked against, taken whole when the reply arrives.
    struct Request {
        std::int32_t function;
        std::int64_t start;
        std::int64_t count;
        std::deque<FrameStamp> sent; // its copies sent in a row and still unanswered, oldest first

        std::int64_t sentAt() const { return sent.empty() ? 0 : sent.front().at; }
    };

    void SendRequest(std::int32_t Function, std::int32_t Address, std::int32_t Value, std::int32_t Count);
    // Caller's thread, before the frame goes: the outstanding request becomes an earlier one (a copy
    // of it keeps its place), and this one the outstanding one.
    void recordRequest(std::int32_t function, std::int32_t start, std::int32_t count, std::size_t bytes,
                       const FrameStamp& stamp);
    // Under expectMutex_: books the frame for an earlier request it fits; false when it fits none.
    std::optional<Request> answersEarlier(std::span<const std::uint8_t> body, std::int64_t startedAt);
    void reject(TRejectReason reason, int exceptionCode = 0);
    // The frame in hand answers the first copy of `request` (its verdict says so).
    void bookFor(const Request& request);
    // startedAt: when the frame's first byte arrived; a frame begun before the request it would
    // answer went out is stale and dropped, and the request stays outstanding. 0: not known.
    void CheckReply(std::span<const std::uint8_t> frame, std::int64_t startedAt = 0);
    // body: address, function and data of an accepted reply, without echo and CRC.
    // False when the body is not the length the request's answer has (nothing decoded).
    bool decodeReply(const Request& request, std::span<const std::uint8_t> body);
    bool decodeBits(std::span<const std::uint8_t> body, const Request& request, TDataType type,
                    ProcessImage<bool, 65>& image);
    bool decodeRegisters(std::span<const std::uint8_t> body, const Request& request, TDataType type,
                         ProcessImage<std::uint16_t, 1025>& image);
    void decodeSingleCoil(std::span<const std::uint8_t> body);
    void decodeSingleRegister(std::span<const std::uint8_t> body);
    void decodeBlockWrite();
    void arrive(TDataType type, std::int64_t address, std::int32_t data);

    mutable std::mutex expectMutex_;     // the earlier requests, and taking the outstanding one
    std::deque<Request> earlier_;        // guarded by expectMutex_
    std::deque<FrameStamp> pendingSent_; // copies of the outstanding request; guarded by expectMutex_
};
