// The transfers' plan: every step of the component's step machine, the value Step holds while it
// runs, and the one request it sends. The step values are what the window and qv7ctl observe.
// Qt-free; used by the component and by qv7ctl's messages.
#pragma once

#include "indicator/ParamImage.h"

#include <cstdint>
#include <optional>

namespace qv7 {

// Values of Step.
inline constexpr std::int32_t StepIdle = -1;             // after a read, a table read, or an unknown value
inline constexpr std::int32_t StepWritten = 0;           // idle after a completed write
inline constexpr std::int32_t StepReadTypeWord = 1;      // read-all: input register 0
inline constexpr std::int32_t StepReadConfig = 2;        // read-all: holding 0-11
inline constexpr std::int32_t StepReadAlarms = 3;        // read-all: holding 16-27
inline constexpr std::int32_t StepReadTable = 10;        // table read: block Step - 10, 10-17
inline constexpr std::int32_t StepReadAllDone = 50;      // read-all finished; the next tick reports it
inline constexpr std::int32_t StepMeasure = 60;          // live measure: input registers 1-3
inline constexpr std::int32_t StepWriteConfig = 101;     // write-all: holding 0-11
inline constexpr std::int32_t StepWriteAlarms = 102;     // write-all: holding 16-27
inline constexpr std::int32_t StepWriteTable = 110;      // table write: block Step - 110, 110-117
inline constexpr std::int32_t StepWriteLinControl = 118; // table write: holding register 2 alone

inline constexpr int TableBlocks = TableRegisterCount / TableBlockLength; // 8
inline constexpr int MeasureStart = 1;                                    // input registers 1-3
inline constexpr int MeasureCount = 3;
inline constexpr int AdcRegisterCount = 4; // input registers 5-8

enum class StepKind { ReadInput, ReadHolding, WriteHolding };

// The request a step sends: what, from which register, how many.
struct StepRequest {
    StepKind kind;
    int start;
    int count;
    int function() const { return kind == StepKind::ReadInput ? 4 : kind == StepKind::ReadHolding ? 3 : 16; }
};

// The request of `step`; nullopt for a step that sends nothing (idle, read-all done, unknown).
constexpr std::optional<StepRequest> requestOfStep(std::int32_t step) {
    if (step == StepReadTypeWord) return StepRequest{StepKind::ReadInput, TypeWordRegister, 1};
    if (step == StepReadConfig) return StepRequest{StepKind::ReadHolding, ConfigBlockStart, BlockLength};
    if (step == StepReadAlarms) return StepRequest{StepKind::ReadHolding, AlarmBlockStart, BlockLength};
    if (step >= StepReadTable && step < StepReadTable + TableBlocks)
        return StepRequest{StepKind::ReadHolding, TableStart + TableBlockLength * (step - StepReadTable),
                           TableBlockLength};
    if (step == StepMeasure) return StepRequest{StepKind::ReadInput, MeasureStart, MeasureCount};
    if (step == StepWriteConfig) return StepRequest{StepKind::WriteHolding, ConfigBlockStart, BlockLength};
    if (step == StepWriteAlarms) return StepRequest{StepKind::WriteHolding, AlarmBlockStart, BlockLength};
    if (step >= StepWriteTable && step < StepWriteTable + TableBlocks)
        return StepRequest{StepKind::WriteHolding, TableStart + TableBlockLength * (step - StepWriteTable),
                           TableBlockLength};
    if (step == StepWriteLinControl) return StepRequest{StepKind::WriteHolding, LinControlRegister, 1};
    return std::nullopt;
}

// The step that reads the table block holding register `address` (32-159).
constexpr std::int32_t tableReadStep(int address) {
    return StepReadTable + (address - TableStart) / TableBlockLength;
}

} // namespace qv7
