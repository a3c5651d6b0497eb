// The component's replies, booked on the reader thread.
#include "indicator/Torvik.h"

namespace {

bool inRange(int value, int lo, int hi) {
    return value >= lo && value <= hi;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Replies (reader thread). A reply moves Step on only from the step that asked for it, and only when
// it answers a request of the running transfer; the check and the store are one step under
// imageMutex_, which every operation of the window also takes to start a transfer or load a file.

void TCustomTorvik::HandleDataArrival(TDataType DataType, std::int32_t Address, std::int32_t Data) {
    const auto value = static_cast<std::uint16_t>(Data & 0xFFFF);
    if (DataType == TDataType::dtHoldingRegister) {
        if (inRange(Address, qv7::TableStart, qv7::TableStart + qv7::TableRegisterCount - 1))
            handleTableRegister(Address);
        else if (Address < qv7::TableStart && qv7::readStepOfHolding(Address))
            handleConfigRegister(Address);
        else if (Address == qv7::CommandRegister)
            post([this, value] { raise(OnCommandAnswered, this, static_cast<int>(value)); });
        // Anything else is not ours to book.
    } else if (DataType == TDataType::dtInputRegister) {
        if (Address == qv7::TypeWordRegister)
            handleTypeWord(value);
        else if (Address == qv7::ProbeStart + qv7::ProbeCount - 1)
            handleProbeAnswer();
        else if (Address == qv7::MeasureStart + qv7::MeasureCount - 1)
            handleMeasure(value);
        else if (Address == qv7::FirstAdcRegister + qv7::AdcRegisterCount - 1)
            handleAdcValues();
    }
}

bool TCustomTorvik::replyIsCurrent() const {
    return inFlight_ == generation_;
}

// The transfer moved on: the next request may go (queued behind the events just posted).
void TCustomTorvik::markAnswered() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            answerCame();
            pace();
        },
        Qt::QueuedConnection);
}

void TCustomTorvik::answerCame() {
    if (unanswered_ >= NoAnswerTries) raise(OnAnswerState, this, true);
    unanswered_ = 0;
}

// Every request before the probe is answered or never will be: the transfer may go on.
void TCustomTorvik::handleProbeAnswer() {
    {
        std::lock_guard lock(imageMutex_);
        probeAnswered_ = true;
    }
    markAnswered();
}

qv7::ConfigRegisters TCustomTorvik::configSnapshot() const {
    qv7::ConfigRegisters words{};
    for (std::size_t r = 0; r < words.size(); ++r)
        words[r] = master_->HoldingRegisters[r].load();
    return words;
}

qv7::TableRegisters TCustomTorvik::tableSnapshot() const {
    qv7::TableRegisters words{};
    for (std::size_t r = 0; r < words.size(); ++r)
        words[r] = master_->HoldingRegisters[qv7::TableStart + r].load();
    return words;
}

// Under imageMutex_: the type word into the record, and what is derived from it.
void TCustomTorvik::storeTypeWord(std::uint16_t typeWord) {
    qv7::storeTypeWord(Params, typeWord);
    fourDigits_ = qv7::typeword::fourDigits(typeWord);
    modelName_ = qv7::BuildModelName(typeWord);
}

void TCustomTorvik::handleTypeWord(std::uint16_t typeWord) {
    std::lock_guard lock(imageMutex_);
    std::int32_t expected = qv7::StepReadTypeWord;
    if (!replyIsCurrent() || !Step.compare_exchange_strong(expected, qv7::planStep(expected)->next)) return;
    storeTypeWord(typeWord);
    markAnswered();
}

void TCustomTorvik::handleConfigRegister(int address) {
    // The block's last register moves the read on to the plan's next step.
    const qv7::PlanStep* reading = qv7::readStepOfHolding(address);
    std::lock_guard lock(imageMutex_);
    if (!replyIsCurrent() || Step.load() != reading->step) return;
    qv7::storeHoldingRegister(Params, address, configSnapshot());
    if (address == reading->request.last()) {
        Step = reading->next;
        markAnswered();
    }
}

void TCustomTorvik::handleTableRegister(int address) {
    const int position = address - qv7::TableStart;
    const qv7::PlanStep* reading = qv7::readStepOfHolding(address);
    std::unique_lock lock(imageMutex_);
    if (!replyIsCurrent() || reading == nullptr || Step.load() != reading->step) return;
    auto report = [this, position] { post([this, position] { raise(OnReadLin, this, position); }); };
    if (address != reading->request.last()) return report();
    // Step moves before the block's last event goes out, so a handler that looks at it sees the
    // next block already asked for.
    Step = reading->next;
    if (qv7::stepOf(qv7::Transfer::ReadTable, reading->next)) {
        markAnswered();
        return report();
    }
    LinTable = qv7::linTableFromRegisters(tableSnapshot());
    const TLinTable table = LinTable;
    markAnswered();
    lock.unlock();
    report();
    // The handler gets the table as it was read, whatever the window does to LinTable meanwhile.
    post([this, table] { raise(OnReadLinCompleted, this, table); });
}

void TCustomTorvik::handleAdcValues() {
    const auto& in = master_->InputRegisters;
    constexpr std::size_t first = qv7::FirstAdcRegister;
    const float fval1 = qv7::floatFromWords(in[first].load(), in[first + 1].load());
    const float fval2 = qv7::floatFromWords(in[first + 2].load(), in[first + 3].load());
    post([this, fval1, fval2] { raise(OnReadADCValues, this, fval1, fval2); });
}

void TCustomTorvik::handleMeasure(std::uint16_t typeWord) {
    {
        std::lock_guard lock(imageMutex_);
        std::int32_t expected = qv7::StepMeasure;
        if (!replyIsCurrent() || !Step.compare_exchange_strong(expected, qv7::planStep(expected)->next))
            return;
        storeTypeWord(typeWord);
        markAnswered();
    }
    post([this] { raise(OnReadMeasure, this); });
}

void TCustomTorvik::HandleWriteReply() {
    std::unique_lock lock(imageMutex_);
    const qv7::PlanStep* writing = replyIsCurrent() ? qv7::planStep(Step.load()) : nullptr;
    if (writing != nullptr && writing->request.kind == qv7::StepKind::WriteHolding) {
        Step = writing->next;
        markAnswered();
        const bool done = !qv7::stepOf(writing->transfer, writing->next);
        const bool tableBlock = writing->request.start >= qv7::TableStart;
        const int position = writing->request.last() - qv7::TableStart;
        if (writing->transfer == qv7::Transfer::WriteTable && tableBlock)
            post([this, position] { raise(OnWriteLin, this, position); });
        else if (done && writing->transfer == qv7::Transfer::WriteAll)
            post([this] { raise(OnWriteAllCompleted, this); });
        else if (done)
            post([this] { raise(OnWriteLinCompleted, this); });
    }
    lock.unlock();
    post([this] { raise(OnWordBlockWriting, this); });
}
