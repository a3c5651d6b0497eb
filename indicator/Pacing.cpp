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
    line_ = LineFormat{std::max(baud, 1), LineFormat{}.bitsPerCharacter};
}

RequestPacing::Duration RequestPacing::silentInterval() const {
    return line_.silentInterval();
}

RequestPacing::Duration RequestPacing::responseTimeout(const RequestShape& request) const {
    const std::int64_t bits =
        std::int64_t{line_.bitsPerCharacter} * (request.requestBytes() + request.replyBytes());
    return std::chrono::microseconds(bits * 1000000 / std::max(line_.baud, 1)) + allowance_;
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
