// The transfers' plan, as data that the component's step machine runs: every step, the value Step
// holds while it runs, the one request it sends and the step its answer leads to. The step values
// are what the window and qv7ctl observe; the parameter blocks' lengths come from the parameter
// table. Pure data: any thread may read it.
#pragma once

#include "proto/ParamImage.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qv7 {

// Values of Step.
inline constexpr std::int32_t StepIdle = -1;             // after a read, a table read, or an unknown value
inline constexpr std::int32_t StepWritten = 0;           // idle after a completed write
inline constexpr std::int32_t StepReadTypeWord = 1;      // read-all: input register 0
inline constexpr std::int32_t StepReadConfig = 2;        // read-all: the first parameter block
inline constexpr std::int32_t StepReadAlarms = 3;        // read-all: the alarms' block
inline constexpr std::int32_t StepReadTable = 10;        // table read: block Step - 10, 10-17
inline constexpr std::int32_t StepReadAllDone = 50;      // read-all finished; the next tick reports it
inline constexpr std::int32_t StepMeasure = 60;          // live measure: input registers 1-3
inline constexpr std::int32_t StepWriteConfig = 101;     // write-all: the first parameter block
inline constexpr std::int32_t StepWriteAlarms = 102;     // write-all: the alarms' block
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
    int last() const { return start + count - 1; }
};

// What the window and qv7ctl start; each is a chain of steps.
enum class Transfer { ReadAll, ReadTable, Measure, WriteAll, WriteTable };

struct PlanStep {
    std::int32_t step;
    Transfer transfer;
    StepRequest request;
    std::int32_t next; // Step once the answer is booked
};

// Every step that sends a request, in the order of its transfer.
const std::vector<PlanStep>& transferPlan();
// The plan's row of `step`; nullptr for a step that sends nothing (idle, read-all done, unknown).
const PlanStep* planStep(std::int32_t step);
// The request of `step`; nullopt for a step that sends nothing.
std::optional<StepRequest> requestOfStep(std::int32_t step);
// The transfer's first step, and how many answers it takes when each request is answered once.
std::int32_t firstStep(Transfer transfer);
int repliesOf(Transfer transfer);
// True while `step` belongs to that transfer.
bool stepOf(Transfer transfer, std::int32_t step);
// Idle: no transfer runs (a write's completion included).
inline bool idleStep(std::int32_t step) {
    return step == StepIdle || step == StepWritten;
}
// A request in qv7ctl's words: the verb ("read", "write") and the registers ("holding registers
// 0–11", "input register 0"), UTF-8.
struct RequestWords {
    const char* verb;
    std::string registers;
};
RequestWords requestWords(const StepRequest& request);

// Where a transfer stopped before its end left its requests, in the plan's order. `step` is the one
// it stopped at (a step outside the transfer: it had ended); `sentUnanswered`: that step's request
// went out and no answer to it was booked.
struct TransferStop {
    std::vector<StepRequest> answered, unanswered, notSent;
};
TransferStop stopOf(Transfer transfer, std::int32_t step, bool sentUnanswered);
// Requests' registers together, neighbouring blocks of one kind as one range ("holding registers
// 0–11, 16–27"); "nothing" for none. UTF-8.
std::string registersText(const std::vector<StepRequest>& requests);
// What a transfer stopped at `step` did, in qv7ctl's words: for a write "written and acknowledged:
// …; sent, not acknowledged: …; not sent: …", for a read "during the read of …" (its request went
// unanswered), "before the read of …" (the first not sent) or "after the read". `writtenBefore`: the writes
// acknowledged before this transfer.
std::string stopText(Transfer transfer, std::int32_t step, bool sentUnanswered,
                     const std::vector<StepRequest>& writtenBefore = {});

// The read step whose request asks for holding register `address`, nullptr when none does.
const PlanStep* readStepOfHolding(int address);

} // namespace qv7
