#include "indicator/ParamSend.h"

namespace qv7 {

namespace {

// Whether the register that carries the row's whole member gives `raw` back as it is.
bool carried(const ParamRow& row, std::int64_t raw) {
    const RecordMember& m = row.member;
    if (m.address < 0) return true;
    const std::int64_t span = std::int64_t{1} << m.readBits;
    return m.signedRead ? raw >= -span / 2 && raw < span / 2 : raw >= 0 && raw < span;
}

} // namespace

std::optional<ParamSendFault> paramSendFault(const TParamImage& params) {
    for (const ParamRow& row : paramTable()) {
        if (row.kind == ParamKind::Spare || !paramPresent(row, params.DeviceType)) continue;
        const std::int64_t raw = rawValue(row, params);
        if (row.kind == ParamKind::Number) {
            if (row.width == 0 && !carried(row, raw))
                return ParamSendFault{ParamSendFault::Kind::NotCarried, &row, raw};
            continue;
        }
        const auto item = itemOfRaw(row, raw);
        const ParamLimits limits = pageLimits(row, params.DeviceType);
        if (!item || *item < limits.lowest || *item > limits.highest)
            return ParamSendFault{ParamSendFault::Kind::NotOffered, &row, raw};
    }
    return std::nullopt;
}

} // namespace qv7
