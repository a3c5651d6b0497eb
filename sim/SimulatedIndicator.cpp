#include "sim/SimulatedIndicator.h"

#include "proto/Crc.h"
#include "proto/Rtu.h"
#include "sim/RtuResponder.h"

#include <algorithm>
#include <bit>
#include <map>
#include <mutex>
#include <optional>
#include <random>

namespace qv7 {

namespace {

using Bytes = std::vector<std::uint8_t>;
using Fault = SimulatedIndicator::Fault;

constexpr std::size_t MaxFrame = 256;
constexpr std::uint8_t WrongAddress = 0xFE;
constexpr std::uint8_t SlaveDeviceFailure = 0x04;

// A complete frame with a good CRC starting at the front of bytes, if there is one.
std::optional<std::size_t> goodFrameAt(std::span<const std::uint8_t> bytes) {
    const FrameLength f = requestLength(bytes, MaxFrame);
    if (f.framing != Framing::Known || f.length > bytes.size()) return std::nullopt;
    if (!crcIntact(bytes.first(f.length))) return std::nullopt;
    return f.length;
}

// Whether the bytes may still become a request once more bytes arrive.
bool mayStartRequest(std::span<const std::uint8_t> bytes) {
    const FrameLength f = requestLength(bytes, MaxFrame);
    return f.framing == Framing::NeedMore || (f.framing == Framing::Known && f.length > bytes.size());
}

} // namespace

struct SimulatedIndicator::Impl {
    mutable std::mutex mutex;
    RtuResponder responder{HoldingCount, InputCount};
    Bytes line; // request bytes not yet framed
    std::vector<Bytes> requests;
    std::optional<Fault> countedFault;
    int countedSkip = 0;
    int countedLeft = 0;
    std::vector<std::pair<Fault, double>> randomFaults;
    std::mt19937 random;
    std::map<Fault, int> injected;
    std::chrono::milliseconds replyDelay{100};
    std::uint8_t exceptionCode = SlaveDeviceFailure;
    bool silent = false;

    std::vector<Bytes> takeFrames();
    std::optional<Fault> nextFault();
    SerialAnswer answer(const Bytes& request);
};

// Splits the line buffer into requests. Garbage ahead of a good frame is skipped; bytes that can no
// longer start a request are dropped one by one, so the next good request is found again.
std::vector<Bytes> SimulatedIndicator::Impl::takeFrames() {
    std::vector<Bytes> frames;
    for (;;) {
        std::optional<std::size_t> start, length;
        for (std::size_t at = 0; at < line.size() && !start; ++at)
            if ((length = goodFrameAt(std::span(line).subspan(at)))) start = at;
        if (!start) break;
        const auto first = line.begin() + static_cast<std::ptrdiff_t>(*start);
        frames.emplace_back(first, first + static_cast<std::ptrdiff_t>(*length));
        line.erase(line.begin(), first + static_cast<std::ptrdiff_t>(*length));
    }
    while (!line.empty() && !mayStartRequest(line))
        line.erase(line.begin());
    if (line.size() > MaxFrame) line.erase(line.begin(), line.end() - MaxFrame);
    return frames;
}

std::optional<Fault> SimulatedIndicator::Impl::nextFault() {
    if (countedFault && countedSkip > 0) {
        --countedSkip;
    } else if (countedFault && countedLeft > 0) {
        --countedLeft;
        ++injected[*countedFault];
        return countedFault;
    }
    if (randomFaults.empty()) return std::nullopt;
    // One draw a request, compared on the generator's own 32-bit output, so a seed gives the same
    // faults everywhere; the faults share the range in the order given.
    const double draw = static_cast<double>(random()) / 4294967296.0;
    double below = 0;
    for (const auto& [fault, probability] : randomFaults) {
        below += probability;
        if (draw < below) {
            ++injected[fault];
            return fault;
        }
    }
    return std::nullopt;
}

SerialAnswer SimulatedIndicator::Impl::answer(const Bytes& request) {
    requests.push_back(request);
    const std::optional<Fault> fault = silent ? std::optional(Fault::Silent) : nextFault();
    if (fault == Fault::Silent) return {};
    if (fault == Fault::Exception) {
        Bytes reply{request[0], static_cast<std::uint8_t>(request[1] | 0x80), exceptionCode};
        appendCrc(reply);
        return {reply};
    }
    Bytes reply = responder.reply(request);
    if (reply.empty() || !fault) return {reply};
    switch (*fault) {
    case Fault::DropReply:
        return {};
    case Fault::CorruptCrc:
        reply.back() ^= 0xFF;
        return {reply};
    case Fault::WrongAddress:
        reply[0] = WrongAddress;
        reply.resize(reply.size() - 2);
        appendCrc(reply);
        return {reply};
    case Fault::Delay:
        return {reply, replyDelay};
    default:
        return {reply};
    }
}

SimulatedIndicator::SimulatedIndicator(std::uint16_t typeWord)
    : SimulatedIndicator(typeWord, defaultRegisters(typeWord)) {
    // Plausible converter readings for the service page: 12.5 and 0.25 as single-precision values.
    const std::uint32_t adc1 = std::bit_cast<std::uint32_t>(12.5f);
    const std::uint32_t adc2 = std::bit_cast<std::uint32_t>(0.25f);
    setInput(5, static_cast<std::uint16_t>(adc1 & 0xFFFF));
    setInput(6, static_cast<std::uint16_t>(adc1 >> 16));
    setInput(7, static_cast<std::uint16_t>(adc2 & 0xFFFF));
    setInput(8, static_cast<std::uint16_t>(adc2 >> 16));
}

SimulatedIndicator::SimulatedIndicator(std::uint16_t typeWord,
                                       const std::map<int, std::uint16_t>& holdingRegisters)
    : impl_(std::make_unique<Impl>()) {
    impl_->responder.setInput(0, typeWord);
    for (const auto& [address, value] : holdingRegisters)
        impl_->responder.setHolding(address, value);
}

SimulatedIndicator::~SimulatedIndicator() = default;

std::uint16_t SimulatedIndicator::holding(int address) const {
    std::lock_guard lock(impl_->mutex);
    return impl_->responder.holding(address);
}

void SimulatedIndicator::setHolding(int address, std::uint16_t value) {
    std::lock_guard lock(impl_->mutex);
    impl_->responder.setHolding(address, value);
}

std::uint16_t SimulatedIndicator::input(int address) const {
    std::lock_guard lock(impl_->mutex);
    return impl_->responder.input(address);
}

void SimulatedIndicator::setInput(int address, std::uint16_t value) {
    std::lock_guard lock(impl_->mutex);
    impl_->responder.setInput(address, value);
}

std::vector<std::vector<std::uint8_t>> SimulatedIndicator::requests() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->requests;
}

void SimulatedIndicator::clearRequests() {
    std::lock_guard lock(impl_->mutex);
    impl_->requests.clear();
}

void SimulatedIndicator::injectFault(Fault fault, int nextRequests, int afterRequests) {
    std::lock_guard lock(impl_->mutex);
    impl_->countedFault = fault;
    impl_->countedSkip = std::max(afterRequests, 0);
    impl_->countedLeft = std::max(nextRequests, 0);
}

void SimulatedIndicator::injectFaultRandomly(Fault fault, double probability, std::uint32_t seed) {
    injectFaultsRandomly({{fault, probability}}, seed);
}

void SimulatedIndicator::injectFaultsRandomly(const std::vector<std::pair<Fault, double>>& faults,
                                              std::uint32_t seed) {
    std::lock_guard lock(impl_->mutex);
    impl_->randomFaults.clear();
    for (const auto& [fault, probability] : faults)
        impl_->randomFaults.emplace_back(fault, std::clamp(probability, 0.0, 1.0));
    impl_->random.seed(seed);
}

std::map<SimulatedIndicator::Fault, int> SimulatedIndicator::faultsInjected() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->injected;
}

void SimulatedIndicator::clearFaults() {
    std::lock_guard lock(impl_->mutex);
    impl_->countedFault.reset();
    impl_->countedSkip = 0;
    impl_->countedLeft = 0;
    impl_->randomFaults.clear();
}

void SimulatedIndicator::setExceptionCode(std::uint8_t code) {
    std::lock_guard lock(impl_->mutex);
    impl_->exceptionCode = code;
}

void SimulatedIndicator::setReplyDelay(std::chrono::milliseconds delay) {
    std::lock_guard lock(impl_->mutex);
    impl_->replyDelay = delay;
}

void SimulatedIndicator::setSilent(bool silent) {
    std::lock_guard lock(impl_->mutex);
    impl_->silent = silent;
}

std::vector<std::uint8_t> SimulatedIndicator::receiveSerial(std::span<const std::uint8_t> bytes) {
    return answerSerial(bytes).bytes;
}

SerialAnswer SimulatedIndicator::answerSerial(std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(impl_->mutex);
    impl_->line.insert(impl_->line.end(), bytes.begin(), bytes.end());
    SerialAnswer all;
    for (const Bytes& frame : impl_->takeFrames()) {
        if (frame[0] != SlaveAddress) continue; // another slave's request: not ours to answer
        SerialAnswer one = impl_->answer(frame);
        all.bytes.insert(all.bytes.end(), one.bytes.begin(), one.bytes.end());
        all.delay = std::max(all.delay, one.delay);
    }
    return all;
}

} // namespace qv7
