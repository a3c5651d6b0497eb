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

TransferStop stopOf(Transfer transfer, std::int32_t step, bool sentUnanswered) {
    TransferStop stop;
    // A step outside the transfer: it had ended, every request answered.
    bool reached = false;
    for (const PlanStep& s : transferPlan()) {
        if (s.transfer != transfer) continue;
        if (s.step == step) reached = true;
        if (!reached)
            stop.answered.push_back(s.request);
        else if (s.step == step && sentUnanswered)
            stop.unanswered.push_back(s.request);
        else
            stop.notSent.push_back(s.request);
    }
    return stop;
}

std::string registersText(const std::vector<StepRequest>& requests) {
    if (requests.empty()) return "nothing";
    // Neighbouring blocks of one kind read as one range.
    std::vector<StepRequest> ranges;
    for (const StepRequest& r : requests) {
        if (!ranges.empty() && ranges.back().kind == r.kind && ranges.back().last() + 1 == r.start)
            ranges.back().count += r.count;
        else
            ranges.push_back(r);
    }
    std::string text;
    StepKind said = ranges.front().kind;
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        const StepRequest& r = ranges[i];
        // "holding registers 0–11, 16–27": the kind is said again only where it changes.
        const bool sameKind = i > 0 && r.kind == said && r.count > 1 && ranges[i - 1].count > 1;
        const std::string words = requestWords(r).registers;
        text += (i > 0 ? ", " : "") + (sameKind ? words.substr(words.rfind(' ') + 1) : words);
        said = r.kind;
    }
    return text;
}

std::string stopText(Transfer transfer, std::int32_t step, bool sentUnanswered,
                     const std::vector<StepRequest>& writtenBefore) {
    const TransferStop stop = stopOf(transfer, step, sentUnanswered);
    if (transfer == Transfer::WriteAll || transfer == Transfer::WriteTable) {
        std::vector<StepRequest> written = writtenBefore;
        written.insert(written.end(), stop.answered.begin(), stop.answered.end());
        std::string text = "written and acknowledged: " + registersText(written);
        if (!stop.unanswered.empty()) text += "; sent, not acknowledged: " + registersText(stop.unanswered);
        return text + "; not sent: " + registersText(stop.notSent);
    }
    // A read: the request it was waiting for, or the first it had not sent.
    std::string text = !stop.unanswered.empty() ? "during the read of " + registersText(stop.unanswered)
                       : !stop.notSent.empty() ? "before the read of " + registersText({stop.notSent.front()})
                                               : std::string("after the read");
    if (!writtenBefore.empty())
        text += "; written and acknowledged before it: " + registersText(writtenBefore);
    return text;
}

const PlanStep* readStepOfHolding(int address) {
    for (const PlanStep& s : transferPlan())
        if (s.request.kind == StepKind::ReadHolding && address >= s.request.start &&
            address <= s.request.last())
            return &s;
    return nullptr;
}

} // namespace qv7
