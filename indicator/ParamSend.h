// The check before a parameter record is sent: nothing goes that the indicator of the record's type
// word does not offer, or that its registers would not carry back as it is. Derived from the
// parameter table and the register map alone. Pure functions, any thread.
#pragma once

#include "proto/ParamImage.h"
#include "proto/ParamTable.h"

#include <cstdint>
#include <optional>

namespace qv7 {

struct ParamSendFault {
    enum class Kind {
        NotOffered, // a choice or switch code its pages do not offer on this type word
        NotCarried, // a number its register cannot hold (it would read back otherwise)
    } kind;
    const ParamRow* row;
    std::int64_t raw;
};

// The first parameter of `params`, in record order, that its type word's indicator has and that
// may not be sent; nothing when every one may.
std::optional<ParamSendFault> paramSendFault(const TParamImage& params);

} // namespace qv7
