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

bool lineIsClear(const std::vector<RequestShape>& awaited) {
    return std::all_of(awaited.begin(), awaited.end(), [](const RequestShape& r) { return r == ProbeShape; });
}

RequestPacing::TimePoint RequestPacing::earliest(TimePoint lastFrame, TimePoint now) const {
    return lastFrame == TimePoint{} ? now : std::max(now, lastFrame + silentInterval());
}

} // namespace qv7
