#include "indicator/Pacing.h"

#include <algorithm>

namespace qv7 {

namespace {

bool isRead(int function) {
    return function == 3 || function == 4;
}

} // namespace

int RequestShape::requestBytes() const {
    return function == 16 ? 9 + 2 * count : 8;
}

int RequestShape::replyBytes() const {
    // Reads: address, function, byte count, the data, CRC. Writes echo address and count or value.
    return isRead(function) ? 5 + 2 * count : 8;
}

bool mayBeTakenFor(const RequestShape& earlier, const RequestShape& next) {
    return earlier.function == next.function && earlier.replyBytes() == next.replyBytes();
}

void RequestPacing::setBaud(int baud) {
    baud_ = std::max(baud, 1);
}

RequestPacing::Duration RequestPacing::silentInterval() const {
    // 3.5 characters, rounded up to the next microsecond.
    const std::int64_t bitsTimesTen = 35 * BitsPerCharacter;
    return std::chrono::microseconds((bitsTimesTen * 100000 + baud_ - 1) / baud_);
}

RequestPacing::Duration RequestPacing::responseTimeout(const RequestShape& request) const {
    const std::int64_t bits =
        std::int64_t{BitsPerCharacter} * (request.requestBytes() + request.replyBytes());
    return std::chrono::microseconds(bits * 1000000 / baud_) + allowance_;
}

RequestPacing::Duration RequestPacing::repeatInterval(const RequestShape& request) const {
    return std::max(repeatInterval_, responseTimeout(request));
}

RequestPacing::Duration RequestPacing::replyHorizon(const RequestShape& request) const {
    return std::max(replyHorizon_, responseTimeout(request));
}

void RequestPacing::settle(const Outstanding& request) {
    unsettled_.push_back({request.shape, request.lastSent + replyHorizon(request.shape)});
}

void RequestPacing::sent(const RequestShape& request, TimePoint at, bool repeat) {
    if (repeat && outstanding_ && outstanding_->shape == request) {
        ++outstanding_->copies;
        outstanding_->lastSent = at;
        return;
    }
    // Abandoned without an answer: that answer may still be on its way.
    if (outstanding_) settle(*outstanding_);
    outstanding_ = Outstanding{request, 1, at};
}

void RequestPacing::answered() {
    if (!outstanding_) return;
    // One copy and its answer: nothing more can come. Several: the other copies may be answered yet.
    if (outstanding_->copies > 1) settle(*outstanding_);
    outstanding_.reset();
}

RequestPacing::TimePoint RequestPacing::earliest(const RequestShape& next, TimePoint lastFrame,
                                                 TimePoint now) {
    std::erase_if(unsettled_, [now](const Unsettled& u) { return u.until <= now; });
    TimePoint at = lastFrame == TimePoint{} ? now : std::max(now, lastFrame + silentInterval());
    for (const Unsettled& u : unsettled_)
        if (mayBeTakenFor(u.shape, next)) at = std::max(at, u.until);
    // An outstanding request that `next` would abandon counts as unsettled already.
    if (outstanding_ && mayBeTakenFor(outstanding_->shape, next))
        at = std::max(at, outstanding_->lastSent + replyHorizon(outstanding_->shape));
    return at;
}

} // namespace qv7
