#include "indicator/Torvik.h"

#include "base/Errors.h"
#include "base/TextMarks.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QMetaObject>

#include <utility>

Q_LOGGING_CATEGORY(lcIndicator, "qv7.indicator", QtWarningMsg)

namespace {

const char* const FileFilter =
    QT_TRANSLATE_NOOP("TCustomTorvik", "Fichiers indicateur (*.QV)|*.QV|Tous les fichiers (*.*)|*.*");
constexpr int MaxTextLength = 255;

bool inRange(int value, int lo, int hi) {
    return value >= lo && value <= hi;
}

} // namespace

namespace qv7 {

QString BuildModelName(std::uint32_t typeWord) {
    QString name = QString::fromLatin1((typeWord & 0x4) ? "Pel-" : "Qv7-");
    // The configurable inputs come first: a multi-input indicator also sets the single-input bits.
    static constexpr int inputBitOrder[] = {14, 15, 13, 12, 11, 10, 9, 8};
    for (int bit : inputBitOrder) {
        if (typeWord & (1u << bit)) {
            name += QString::fromLatin1(InputCodes[bit - 8]);
            break;
        }
    }
    if ((typeWord & 0x3) >= 2) name = QStringLiteral("Qv7-") + QString::fromLatin1(FourAlarmCode);
    if (typeWord & 0x20) name += QString::fromLatin1(OptionSuffixBit5);
    if (typeWord & 0x40) name += QString::fromLatin1(OptionSuffixBit6);
    return name.left(MaxTextLength);
}

} // namespace qv7

// ---------------------------------------------------------------------------------------------
// Construction

TCustomTorvik::TCustomTorvik(qv7::HidAccess& access, QObject* parent)
    : QObject(parent), bridge_(std::make_unique<THIDSerial>(access)),
      master_(std::make_unique<TMiniModbusMaster>(*bridge_)) {
    bridge_->ProductIdent = "HID-QV7   ";
    master_->Node = 255;
    master_->OnDataArrival = [this](TComponent*, TDataType type, std::int32_t address, std::int32_t data) {
        HandleDataArrival(type, address, data);
    };
    master_->OnWordBlockWriting = [this](TComponent*) { HandleWriteReply(); };
    master_->OnFrameRejected = [this](TComponent*, TRejectReason reason, int code) {
        post([this, reason, code] { raise(OnFrameRejected, this, reason, code); });
    };
    master_->TxDebugStream = [this](TComponent*, const std::string& text) {
        post([this, text] { raise(TxDebugStream, this, text); });
    };
    master_->RxDebugStream = [this](TComponent*, const std::string& text) {
        post([this, text] { raise(RxDebugStream, this, text); });
    };
    bridge_->OnConnect = [this](TComponent*) { post([this] { raise(OnConnect, this); }); };
    bridge_->OnDisconnect = [this](TComponent*) { post([this] { raise(OnDisconnect, this); }); };

    timer_.setSingleShot(true);
    timer_.setInterval(1000);
    pacing_.setRepeatInterval(std::chrono::milliseconds(1000));
    connect(&timer_, &QTimer::timeout, this, [this] { StepTimer(); });
    paceTimer_.setSingleShot(true);
    paceTimer_.setTimerType(Qt::PreciseTimer);
    connect(&paceTimer_, &QTimer::timeout, this, [this] { pace(); });
}

TCustomTorvik::~TCustomTorvik() {
    timer_.stop();
    paceTimer_.stop();
    // The reader thread calls back into this object: end it before any member goes.
    bridge_->StopReader();
}

template <typename Fn> void TCustomTorvik::post(Fn&& fn) {
    // Queued even from the component's own thread, so every event keeps its place behind the ones
    // the reader thread posted before it.
    QMetaObject::invokeMethod(this, std::forward<Fn>(fn), Qt::QueuedConnection);
}

// ---------------------------------------------------------------------------------------------
// Device operations (component's thread)

int TCustomTorvik::ScanDevices() {
    return bridge_->CountDevices();
}

bool TCustomTorvik::OpenDevice(int Index) {
    lockHolder_ = 0;
    const std::string path = bridge_->MatchingDevicePath(Index);
    if (path.empty()) return false;
    // Another program driving the same indicator would swallow our replies and we its. The claim
    // this component holds already covers the indicator it opens again (a new scan).
    std::unique_ptr<qv7::DeviceClaim> claim;
    if (!claim_ || claimPath_ != path) {
        long holder = 0;
        claim = bridge_->Access().claim(path, holder);
        if (!claim) {
            lockHolder_ = holder > 0 ? holder : -1;
            qCInfo(lcIndicator) << "indicator" << Index << "is in use by process" << holder;
            return false;
        }
    }
    if (!bridge_->OpenDevice(Index)) return false; // a claim just taken goes with `claim`
    if (claim) {
        claim_ = std::move(claim);
        claimPath_ = path;
    }
    unanswered_ = 0;
    description_ = bridge_->DescribeDevice(bridge_->DeviceNumber());
    DeviceText = deviceTextNow();
    return true;
}

QString TCustomTorvik::deviceTextNow() const {
    // In the window's language; French where no translation is installed (qv7ctl).
    const QString form = QCoreApplication::translate("THIDSerial", description_.form);
    return QString::fromStdString(qv7::fillTemplate(form.toStdString(), description_.arguments))
        .left(MaxTextLength);
}

void TCustomTorvik::CloseDevice() {
    bridge_->CloseDevice();
    claim_.reset();
}

void TCustomTorvik::startTransfer(std::int32_t step) {
    // Under the image lock: a reply being booked on the reader thread finishes first, and none of
    // the abandoned transfer's replies is booked after this.
    ++generation_;
    Step = step;
    unanswered_ = 0;
}

void TCustomTorvik::ReadAll() {
    {
        std::lock_guard lock(imageMutex_);
        startTransfer(qv7::StepReadTypeWord);
    }
    schedulePace();
}

void TCustomTorvik::ReadLin() {
    {
        std::lock_guard lock(imageMutex_);
        startTransfer(qv7::StepReadTable);
    }
    schedulePace();
}

void TCustomTorvik::WriteAll() {
    {
        std::lock_guard lock(imageMutex_);
        const qv7::ConfigRegisters registers = qv7::registersFromParams(Params);
        for (int block : {qv7::ConfigBlockStart, qv7::AlarmBlockStart})
            for (int r = block; r < block + qv7::BlockLength; ++r)
                writeBuffer_[static_cast<std::size_t>(r)] = registers[static_cast<std::size_t>(r)];
        startTransfer(qv7::StepWriteConfig);
    }
    schedulePace();
}

void TCustomTorvik::WriteLin() {
    {
        std::lock_guard lock(imageMutex_);
        const qv7::TableRegisters table = qv7::registersFromLinTable(LinTable);
        std::copy(table.begin(), table.end(), writeBuffer_.begin() + qv7::TableStart);
        writeBuffer_[qv7::LinControlRegister] = qv7::linControlWord(Params);
        startTransfer(qv7::StepWriteTable);
    }
    schedulePace();
}

void TCustomTorvik::ReadADCValues() {
    master_->ReadInputRegisters(qv7::FirstAdcRegister, qv7::AdcRegisterCount);
}

void TCustomTorvik::AdjustZero1() {
    master_->WriteSingleRegister(qv7::CommandRegister, 1);
}
void TCustomTorvik::AdjustFullScale1() {
    master_->WriteSingleRegister(qv7::CommandRegister, 2);
}
void TCustomTorvik::AdjustZero2() {
    master_->WriteSingleRegister(qv7::CommandRegister, 3);
}
void TCustomTorvik::AdjustFullScale2() {
    master_->WriteSingleRegister(qv7::CommandRegister, 4);
}

int TCustomTorvik::EraseFirmware() {
    return bridge_->EraseBridgeFirmware();
}
int TCustomTorvik::ProgramFirmware() {
    return bridge_->WriteBridgeFirmware();
}
int TCustomTorvik::ResetUsb() {
    return bridge_->ResetBridge();
}

TParamImage TCustomTorvik::paramsSnapshot() const {
    std::lock_guard lock(imageMutex_);
    return Params;
}

TLinTable TCustomTorvik::linTableSnapshot() const {
    std::lock_guard lock(imageMutex_);
    return LinTable;
}

void TCustomTorvik::editImage(const std::function<void(TParamImage&, TLinTable&)>& edit) {
    std::lock_guard lock(imageMutex_);
    edit(Params, LinTable);
}

bool TCustomTorvik::FourDigits() const {
    std::lock_guard lock(imageMutex_);
    return fourDigits_;
}

QString TCustomTorvik::ModelName() const {
    std::lock_guard lock(imageMutex_);
    return modelName_;
}

void TCustomTorvik::setStepInterval(int ms) {
    timer_.setInterval(ms);
    pacing_.setRepeatInterval(std::chrono::milliseconds(ms));
}

int TCustomTorvik::stepInterval() const {
    return timer_.interval();
}

// ---------------------------------------------------------------------------------------------
// Parameter files (component's thread)

bool TCustomTorvik::SaveToFile() {
    if (!dialogs_) return true;
    TorvikDialogs::FileDialog dialog;
    // The window's texts in the window's language (no translation is installed outside the window).
    dialog.title = QCoreApplication::translate("TCustomTorvik", "sauve un fichier indicateur");
    dialog.filter = QCoreApplication::translate("TCustomTorvik", FileFilter);
    dialog.directory = QStringLiteral(".");
    dialog.proposedName = ModelName();
    dialog.defaultExtension = QStringLiteral("QV");
    dialog.confirmOverwrite = true;
    const auto name = dialogs_->askFileName(dialog, true);
    if (!name) return true;
    std::lock_guard lock(imageMutex_);
    qv7::saveParamFile(*name, Params);
    return true;
}

bool TCustomTorvik::LoadFromFile() {
    if (!dialogs_) return true;
    TorvikDialogs::FileDialog dialog;
    dialog.title = QCoreApplication::translate("TCustomTorvik", "Charge un fichier indicateur");
    dialog.filter = QCoreApplication::translate("TCustomTorvik", FileFilter);
    dialog.directory = QStringLiteral(".");
    const auto name = dialogs_->askFileName(dialog, false);
    if (!name) return true;
    qv7::ParamLoadResult result;
    qv7::ParamFileFault fault;
    {
        std::lock_guard lock(imageMutex_);
        result = qv7::loadParamFile(*name, Params.DeviceType, Params, &fault);
        // A read-all still running would overwrite what the user just loaded.
        const std::int32_t step = Step.load();
        if (result == qv7::ParamLoadResult::Loaded && step >= qv7::StepReadTypeWord &&
            step <= qv7::StepReadAlarms)
            startTransfer(qv7::StepIdle);
    }
    if (result == qv7::ParamLoadResult::Loaded) return true;
    QString message = QCoreApplication::translate("ParamFile", qv7::paramLoadText(result));
    // Which check failed, on a line of its own below the message the user knows.
    if (fault.text != nullptr) {
        const QString reason = QCoreApplication::translate("ParamFile", fault.text);
        message +=
            QLatin1Char('\n') + (fault.text == qv7::ParamFileTooShort ? reason.arg(fault.bytes) : reason);
    }
    dialogs_->showMessage(message);
    return true;
}

// ---------------------------------------------------------------------------------------------
// The step machine (component's thread). A transfer's next request goes as soon as the reply to the
// last one is booked and the pacing rule lets it; the step timer only repeats an unanswered request.

namespace {

bool isRequestStep(std::int32_t step) {
    return qv7::requestOfStep(step).has_value();
}

// The request a step sends, as the pacing rule tells requests apart.
qv7::RequestShape shapeOf(std::int32_t step) {
    const auto request = qv7::requestOfStep(step);
    return request ? qv7::RequestShape{request->function(), request->count} : qv7::RequestShape{};
}

qv7::PacingClock::time_point fromNs(std::int64_t ns) {
    return ns == 0 ? qv7::PacingClock::time_point{}
                   : qv7::PacingClock::time_point{std::chrono::nanoseconds(ns)};
}

} // namespace

void TCustomTorvik::schedulePace() {
    // Queued: an operation only sets the step and returns, as every device operation does.
    if (!paceTimer_.isActive() || paceTimer_.remainingTime() > 0) paceTimer_.start(0);
}

void TCustomTorvik::StepTimer() {
    pace(true);
}

void TCustomTorvik::pace(bool timedOut) {
    std::int32_t step;
    std::uint64_t generation;
    bool probeAnswered;
    {
        std::lock_guard lock(imageMutex_);
        step = Step.load();
        generation = generation_;
        probeAnswered = probeAnswered_;
        probeAnswered_ = false;
    }
    if (timedOut && (probing_ || awaiting_) && ++unanswered_ == NoAnswerTries) {
        saidNoAnswer_ = true;
        post([this] { raise(OnAnswerState, this, false); });
    }
    // Nothing but the probe goes until its answer came.
    if (probing_ && !probeAnswered) {
        if (timedOut) sendProbe();
        return;
    }
    probing_ = false;
    const bool same = step == sentStep_ && generation == sentGeneration_;
    if (awaiting_ && same && isRequestStep(step) && !timedOut) return; // the repeat timer runs
    awaiting_ = false;
    if (!isRequestStep(step)) return settle(step);
    // A request went unanswered: its answer may still come, and look like the next one's.
    if (!qv7::lineIsClear(awaitedShapes())) return sendProbe();
    const auto now = qv7::PacingClock::now();
    const auto at = pacing_.earliest(fromNs(master_->LastFrameAt.load()), now);
    if (at > now) {
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(at - now);
        paceTimer_.start(static_cast<int>(wait.count()));
        return;
    }
    issue(step, generation);
}

std::vector<qv7::RequestShape> TCustomTorvik::awaitedShapes() const {
    std::vector<qv7::RequestShape> shapes;
    for (const auto& answer : master_->ExpectedAnswers())
        shapes.push_back({answer.function, static_cast<int>(answer.count)});
    return shapes;
}

void TCustomTorvik::sendProbe() {
    {
        std::lock_guard lock(imageMutex_);
        probeAnswered_ = false;
    }
    probing_ = true;
    ++requestsSent_;
    ++probesSent_;
    pacing_.setLine(master_->Link().lineFormat());
    timer_.start(static_cast<int>(
        std::chrono::ceil<std::chrono::milliseconds>(pacing_.repeatInterval(qv7::ProbeShape)).count()));
    master_->ReadInputRegisters(qv7::ProbeStart, qv7::ProbeCount);
}

// A step that sends nothing: idle, or the read-all's completion to report.
void TCustomTorvik::settle(std::int32_t step) {
    timer_.stop();
    sentStep_ = -1;
    if (step == qv7::StepReadAllDone) return tickReadAllCompleted();
    if (step == qv7::StepWritten || step == qv7::StepIdle) return;
    std::lock_guard lock(imageMutex_);
    std::int32_t expected = step;
    Step.compare_exchange_strong(expected, qv7::StepIdle);
}

void TCustomTorvik::issue(std::int32_t step, std::uint64_t generation) {
    const bool repeat = step == sentStep_ && generation == sentGeneration_;
    const qv7::RequestShape shape = shapeOf(step);
    pacing_.setLine(master_->Link().lineFormat());
    {
        std::lock_guard lock(imageMutex_);
        // The step may have moved since it was read: a later pace() sends for the step it is now.
        if (Step.load() != step || generation_ != generation) return schedulePace();
        inFlight_ = generation;
    }
    sentStep_ = step;
    sentGeneration_ = generation;
    awaiting_ = true;
    ++requestsSent_;
    if (repeat) ++repeatsSent_;
    stepTries_ = repeat ? stepTries_ + 1 : 1;
    timer_.start(static_cast<int>(
        std::chrono::ceil<std::chrono::milliseconds>(pacing_.repeatInterval(shape)).count()));
    sendRequest(step);
}

void TCustomTorvik::sendRequest(std::int32_t step) {
    const auto request = qv7::requestOfStep(step);
    if (!request) return;
    switch (request->kind) {
    case qv7::StepKind::ReadInput:
        return master_->ReadInputRegisters(request->start, request->count);
    case qv7::StepKind::ReadHolding:
        return tickReadBlock(request->start, request->count);
    case qv7::StepKind::WriteHolding:
        return tickWriteBlock(request->start, request->count);
    }
}

void TCustomTorvik::tickReadBlock(int start, int count) {
    master_->ReadHoldingRegisters(start, count);
}

void TCustomTorvik::tickReadAllCompleted() {
    {
        std::lock_guard lock(imageMutex_);
        std::int32_t expected = qv7::StepReadAllDone;
        if (!Step.compare_exchange_strong(expected, qv7::StepIdle)) return;
    }
    post([this] { raise(OnReadAllCompleted, this); });
}

void TCustomTorvik::tickWriteBlock(int start, int count) {
    master_->WriteMultipleRegisters(start, count, writeBuffer_);
}

// ---------------------------------------------------------------------------------------------
// Replies (reader thread). A reply moves Step on only from the step that asked for it, and only when
// it answers a request of the running transfer; the check and the store are one step under
// imageMutex_, which every operation of the window also takes to start a transfer or load a file.

void TCustomTorvik::HandleDataArrival(TDataType DataType, std::int32_t Address, std::int32_t Data) {
    const auto value = static_cast<std::uint16_t>(Data & 0xFFFF);
    if (DataType == TDataType::dtHoldingRegister) {
        if (inRange(Address, qv7::ConfigBlockStart, qv7::AlarmBlockStart + qv7::BlockLength - 1))
            handleConfigRegister(Address);
        else if (inRange(Address, qv7::TableStart, qv7::TableStart + qv7::TableRegisterCount - 1))
            handleTableRegister(Address);
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
    if (saidNoAnswer_) raise(OnAnswerState, this, true);
    saidNoAnswer_ = false;
    unanswered_ = 0;
}

// Every request before the probe is answered or never will be: the transfer may go on.
void TCustomTorvik::handleProbeAnswer() {
    {
        std::lock_guard lock(imageMutex_);
        probeAnswered_ = true;
    }
    QMetaObject::invokeMethod(
        this,
        [this] {
            answerCame();
            pace();
        },
        Qt::QueuedConnection);
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
    fourDigits_ = (typeWord & 0x4) != 0;
    modelName_ = qv7::BuildModelName(typeWord);
}

void TCustomTorvik::handleTypeWord(std::uint16_t typeWord) {
    std::lock_guard lock(imageMutex_);
    std::int32_t expected = qv7::StepReadTypeWord;
    if (!replyIsCurrent() || !Step.compare_exchange_strong(expected, qv7::StepReadConfig)) return;
    storeTypeWord(typeWord);
    markAnswered();
}

void TCustomTorvik::handleConfigRegister(int address) {
    const std::int32_t readingStep =
        address < qv7::AlarmBlockStart ? qv7::StepReadConfig : qv7::StepReadAlarms;
    std::lock_guard lock(imageMutex_);
    if (!replyIsCurrent() || Step.load() != readingStep) return;
    qv7::storeHoldingRegister(Params, address, configSnapshot());
    if (address == qv7::ConfigBlockStart + qv7::BlockLength - 1) {
        Step = qv7::StepReadAlarms;
        markAnswered();
    } else if (address == qv7::AlarmBlockStart + qv7::BlockLength - 1) {
        Step = qv7::StepReadAllDone;
        markAnswered();
    }
}

void TCustomTorvik::handleTableRegister(int address) {
    const int position = address - qv7::TableStart;
    const int block = position / qv7::TableBlockLength;
    std::unique_lock lock(imageMutex_);
    if (!replyIsCurrent() || Step.load() != qv7::StepReadTable + block) return;
    auto report = [this, position] { post([this, position] { raise(OnReadLin, this, position); }); };
    if (position % qv7::TableBlockLength != qv7::TableBlockLength - 1) return report();
    // Step moves before the block's last event goes out, so a handler that looks at it sees the
    // next block already asked for.
    if (block < qv7::TableBlocks - 1) {
        Step = qv7::StepReadTable + block + 1;
        markAnswered();
        return report();
    }
    Step = qv7::StepIdle;
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
        if (!replyIsCurrent() || !Step.compare_exchange_strong(expected, qv7::StepIdle)) return;
        storeTypeWord(typeWord);
        markAnswered();
    }
    post([this] { raise(OnReadMeasure, this); });
}

void TCustomTorvik::HandleWriteReply() {
    std::unique_lock lock(imageMutex_);
    const std::int32_t step = replyIsCurrent() ? Step.load() : -1;
    if (step == qv7::StepWriteConfig) {
        Step = qv7::StepWriteAlarms;
        markAnswered();
    } else if (step == qv7::StepWriteAlarms) {
        Step = qv7::StepWritten;
        markAnswered();
        post([this] { raise(OnWriteAllCompleted, this); });
    } else if (inRange(step, qv7::StepWriteTable, qv7::StepWriteTable + qv7::TableBlocks - 1)) {
        const int position = qv7::TableBlockLength * (step - qv7::StepWriteTable) + qv7::TableBlockLength - 1;
        Step = step + 1;
        markAnswered();
        post([this, position] { raise(OnWriteLin, this, position); });
    } else if (step == qv7::StepWriteLinControl) {
        Step = qv7::StepWritten;
        markAnswered();
        post([this] { raise(OnWriteLinCompleted, this); });
    }
    lock.unlock();
    post([this] { raise(OnWordBlockWriting, this); });
}
