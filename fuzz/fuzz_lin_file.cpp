// Arbitrary file contents through the .LIN loader: a refused file yields nothing, a loaded one holds
// 2 to 361 points and only the load's two warnings, and the writer's text of what was loaded loads
// back as the same number of points, each within the hundredth the writer rounds to.
#include "indicator/LinFile.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {
bool close(float written, float read) {
    return std::fabs(static_cast<double>(written) - read) <=
           0.0051 + std::fabs(static_cast<double>(written)) * 1e-6;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto result =
        qv7::parseLinText(QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    if (!result.ok()) {
        if (!result.points.empty() || !result.messages.isEmpty()) std::abort();
        return 0;
    }
    if (result.points.size() < 2 || result.points.size() > qv7::LinFileMaxPoints) std::abort();
    for (const QString& message : result.messages)
        if (message != QString::fromUtf8(qv7::LinTooManySegments) &&
            message != QString::fromUtf8(qv7::LinCountMismatch))
            std::abort();
    const auto again = qv7::parseLinText(qv7::linFileText(result.points));
    if (!again.ok() || !again.messages.isEmpty() || again.points.size() != result.points.size()) std::abort();
    for (std::size_t i = 0; i < again.points.size(); ++i)
        if (!close(result.points[i].X, again.points[i].X) || !close(result.points[i].Y, again.points[i].Y))
            std::abort();
    return 0;
}
