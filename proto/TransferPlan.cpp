#include "proto/TransferPlan.h"

#include "proto/ParamTable.h"

#include <algorithm>

namespace qv7 {

namespace {

std::vector<PlanStep> buildPlan() {
    const auto& blocks = parameterBlocks();
    const StepRequest config{StepKind::ReadHolding, blocks[0].start, blocks[0].count};
    const StepRequest alarms{StepKind::ReadHolding, blocks[1].start, blocks[1].count};
    std::vector<PlanStep> plan = {
        {StepReadTypeWord, Transfer::ReadAll, {StepKind::ReadInput, TypeWordRegister, 1}, StepReadConfig},
        {StepReadConfig, Transfer::ReadAll, config, StepReadAlarms},
        {StepReadAlarms, Transfer::ReadAll, alarms, StepReadAllDone},
    };
    for (int b = 0; b < TableBlocks; ++b)
        plan.push_back({StepReadTable + b,
                        Transfer::ReadTable,
                        {StepKind::ReadHolding, TableStart + TableBlockLength * b, TableBlockLength},
                        b + 1 < TableBlocks ? StepReadTable + b + 1 : StepIdle});
    plan.push_back(
        {StepMeasure, Transfer::Measure, {StepKind::ReadInput, MeasureStart, MeasureCount}, StepIdle});
    plan.push_back({StepWriteConfig,
                    Transfer::WriteAll,
                    {StepKind::WriteHolding, config.start, config.count},
                    StepWriteAlarms});
    plan.push_back({StepWriteAlarms,
                    Transfer::WriteAll,
                    {StepKind::WriteHolding, alarms.start, alarms.count},
                    StepWritten});
    for (int b = 0; b < TableBlocks; ++b)
        plan.push_back({StepWriteTable + b,
                        Transfer::WriteTable,
                        {StepKind::WriteHolding, TableStart + TableBlockLength * b, TableBlockLength},
                        StepWriteTable + b + 1});
    plan.push_back({StepWriteLinControl,
                    Transfer::WriteTable,
                    {StepKind::WriteHolding, LinControlRegister, 1},
                    StepWritten});
    return plan;
}

} // namespace

const std::vector<PlanStep>& transferPlan() {
    static const std::vector<PlanStep> plan = buildPlan();
    return plan;
}

const PlanStep* planStep(std::int32_t step) {
    const auto& plan = transferPlan();
    const auto it =
        std::find_if(plan.begin(), plan.end(), [step](const PlanStep& s) { return s.step == step; });
    return it == plan.end() ? nullptr : &*it;
}

std::optional<StepRequest> requestOfStep(std::int32_t step) {
    const PlanStep* s = planStep(step);
    return s ? std::optional<StepRequest>(s->request) : std::nullopt;
}

std::int32_t firstStep(Transfer transfer) {
    for (const PlanStep& s : transferPlan())
        if (s.transfer == transfer) return s.step;
    return StepIdle;
}

int repliesOf(Transfer transfer) {
    return static_cast<int>(std::count_if(transferPlan().begin(), transferPlan().end(),
                                          [transfer](const PlanStep& s) { return s.transfer == transfer; }));
}

bool stepOf(Transfer transfer, std::int32_t step) {
    const PlanStep* s = planStep(step);
    return s != nullptr && s->transfer == transfer;
}

RequestWords requestWords(const StepRequest& r) {
    const std::string kind = r.kind == StepKind::ReadInput ? "input" : "holding";
    const std::string registers =
        r.count == 1 ? kind + " register " + std::to_string(r.start)
                     : kind + " registers " + std::to_string(r.start) + "\u2013" + std::to_string(r.last());
    return {r.kind == StepKind::WriteHolding ? "write" : "read", registers};
}

const PlanStep* readStepOfHolding(int address) {
    for (const PlanStep& s : transferPlan())
        if (s.request.kind == StepKind::ReadHolding && address >= s.request.start &&
            address <= s.request.last())
            return &s;
    return nullptr;
}

} // namespace qv7
