#include "indicator/Torvik.h"

#include "base/Errors.h"
#include "base/TextMarks.h"
#include "proto/ParamTable.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QMetaObject>

#include <utility>

Q_LOGGING_CATEGORY(lcIndicator, "qv7.indicator", QtWarningMsg)

namespace {

const char* const FileFilter =
    QT_TRANSLATE_NOOP("TCustomTorvik", "Fichiers indicateur (*.QV)|*.QV|Tous les fichiers (*.*)|*.*");
constexpr int MaxTextLength = 255;

} // namespace

namespace qv7 {

QString BuildModelName(std::uint32_t typeWord) {
    namespace tw = typeword;
    QString name = QString::fromLatin1(tw::fourDigits(typeWord) ? "Pel-" : "Qv7-");
    if (const char* code = tw::inputCode(typeWord)) name += QString::fromLatin1(code);
    if (tw::fourAlarmModel(typeWord)) name = QStringLiteral("Qv7-") + QString::fromLatin1(tw::FourAlarmCode);
    if (typeWord & tw::OptionBit5) name += QString::fromLatin1(tw::OptionSuffixBit5);
    if (typeWord & tw::Rs485) name += QString::fromLatin1(tw::OptionSuffixBit6);
    return name.left(MaxTextLength);
}

} // namespace qv7

// ---------------------------------------------------------------------------------------------
// Construction

TCustomTorvik::TCustomTorvik(qv7::TransportSource transport, QObject* parent)
    : QObject(parent), transport_(transport.take()),
      master_(std::make_unique<TMiniModbusMaster>(transport_->link())) {
    master_->Node = qv7::IndicatorNode;
    master_->OnDataArrival = [this](TComponent*, TDataType type, std::int32_t address, std::int32_t data) {
        HandleDataArrival(type, address, data);
    };
    master_->OnWordBlockWriting = [this](TComponent*) { HandleWriteReply(); };
    master_->OnFrameRejected = [this](TComponent*, TRejectReason reason, int code) {
        post([this, reason, code] { raise(OnFrameRejected, this, reason, code); });
    };
    master_->OnFrame = [this](TComponent*, const TFrameRecord& frame) {
        post([this, frame] { raise(OnFrame, this, frame); });
    };
    master_->TxDebugStream = [this](TComponent*, const std::string& text) {
        post([this, text] { raise(TxDebugStream, this, text); });
    };
    master_->RxDebugStream = [this](TComponent*, const std::string& text) {
        post([this, text] { raise(RxDebugStream, this, text); });
    };
    // The first answer after a connection is said like one after a silence: the lamp lights on it.
    transport_->onConnect = [this] {
        post([this] {
            saidNoAnswer_ = true;
            raise(OnConnect, this);
        });
    };
    transport_->onDisconnect = [this] { post([this] { raise(OnDisconnect, this); }); };

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
    transport_->stop();
}

// ---------------------------------------------------------------------------------------------
// Device operations (component's thread)

int TCustomTorvik::ScanDevices() {
    return transport_->enumerate();
}

bool TCustomTorvik::OpenDevice(int Index) {
    lockHolder_ = 0;
    long holder = 0;
    switch (transport_->open(Index, holder)) {
    case qv7::Transport::OpenResult::InUse:
        lockHolder_ = holder > 0 ? holder : -1;
        qCInfo(lcIndicator) << "indicator" << Index << "is in use by process" << holder;
        return false;
    case qv7::Transport::OpenResult::Failed:
        return false;
    case qv7::Transport::OpenResult::Opened:
        break;
    }
    unanswered_ = 0;
    description_ = transport_->description();
    DeviceText = deviceTextNow();
    return true;
}

QString TCustomTorvik::deviceTextNow() const {
    // In the window's language; French where no translation is installed (qv7ctl).
    const QString form = QCoreApplication::translate(description_.context, description_.form);
    return QString::fromStdString(qv7::fillTemplate(form.toStdString(), description_.arguments))
        .left(MaxTextLength);
}

void TCustomTorvik::CloseDevice() {
    transport_->close();
}

void TCustomTorvik::startTransfer(std::int32_t step) {
    // Under the image lock: a reply being booked on the reader thread finishes first, and none of
    // the abandoned transfer's replies is booked after this.
    ++generation_;
    Step = step;
    unanswered_ = 0;
    stopping_ = false;
    stopped_ = nullptr;
}

void TCustomTorvik::StopAtFrameBoundary(std::function<void(std::int32_t, bool)> stopped) {
    stopped_ = std::move(stopped);
    stopping_ = true;
    paceTimer_.stop();
    // Nothing on the wire: the boundary is now. Otherwise pace() ends it when the answer was booked
    // or the repeat timer gave it up.
    if (!awaiting_ && !probing_) finishStop();
}

void TCustomTorvik::finishStop() {
    timer_.stop();
    paceTimer_.stop();
    stopping_ = awaiting_ = probing_ = false;
    std::int32_t reached = qv7::StepIdle;
    bool sentUnanswered = false;
    {
        std::lock_guard lock(imageMutex_);
        reached = Step.load();
        sentUnanswered = reached == sentStep_ && sentGeneration_ == generation_ && qv7::planStep(reached);
        ++generation_; // an answer still on its way is booked nowhere
        if (!qv7::idleStep(reached)) Step = qv7::StepIdle;
    }
    sentStep_ = -1;
    if (const auto stopped = std::exchange(stopped_, nullptr)) stopped(reached, sentUnanswered);
}

void TCustomTorvik::ReadAll() {
    {
        std::lock_guard lock(imageMutex_);
        startTransfer(qv7::firstStep(qv7::Transfer::ReadAll));
    }
    schedulePace();
}

void TCustomTorvik::ReadLin() {
    {
        std::lock_guard lock(imageMutex_);
        startTransfer(qv7::firstStep(qv7::Transfer::ReadTable));
    }
    schedulePace();
}

void TCustomTorvik::WriteAll() {
    {
        std::lock_guard lock(imageMutex_);
        const qv7::ConfigRegisters registers = qv7::registersFromParams(Params);
        for (const qv7::RegisterBlock& block : qv7::parameterBlocks())
            for (int r = block.start; r <= block.last(); ++r)
                writeBuffer_[static_cast<std::size_t>(r)] = registers[static_cast<std::size_t>(r)];
        startTransfer(qv7::firstStep(qv7::Transfer::WriteAll));
    }
    schedulePace();
}

void TCustomTorvik::WriteLin() {
    {
        std::lock_guard lock(imageMutex_);
        const qv7::TableRegisters table = qv7::registersFromLinTable(LinTable);
        std::copy(table.begin(), table.end(), writeBuffer_.begin() + qv7::TableStart);
        writeBuffer_[qv7::LinControlRegister] = qv7::linControlWord(Params);
        startTransfer(qv7::firstStep(qv7::Transfer::WriteTable));
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
    qv7::BridgeExtras* bridge = transport_->bridge();
    return bridge ? bridge->eraseFirmware() : -1;
}
int TCustomTorvik::ProgramFirmware() {
    qv7::BridgeExtras* bridge = transport_->bridge();
    return bridge ? bridge->programFirmware() : -1;
}
int TCustomTorvik::ResetUsb() {
    qv7::BridgeExtras* bridge = transport_->bridge();
    return bridge ? bridge->resetBridge() : -1;
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

namespace {

// A parameter file's dialog in the window's language (no translation is installed outside the window).
TorvikDialogs::FileDialog parameterFileDialog(const char* title) {
    TorvikDialogs::FileDialog dialog;
    dialog.title = QCoreApplication::translate("TCustomTorvik", title);
    dialog.filter = QCoreApplication::translate("TCustomTorvik", FileFilter);
    dialog.directory = QStringLiteral(".");
    return dialog;
}

} // namespace

bool TCustomTorvik::SaveToFile() {
    return SaveToFile(paramsSnapshot());
}

bool TCustomTorvik::SaveToFile(const TParamImage& image) {
    if (!dialogs_) return true;
    TorvikDialogs::FileDialog dialog =
        parameterFileDialog(QT_TRANSLATE_NOOP("TCustomTorvik", "sauve un fichier indicateur"));
    dialog.proposedName = ModelName();
    dialog.defaultExtension = QStringLiteral("QV");
    dialog.confirmOverwrite = true;
    const auto name = dialogs_->askFileName(dialog, true);
    if (!name) return true;
    TParamImage saved = image;
    qv7::saveParamFile(*name, saved);
    // The record carries the file's magic from then on, as it does after a load.
    std::lock_guard lock(imageMutex_);
    qv7::setParamMagic(Params);
    return true;
}

bool TCustomTorvik::LoadFromFile() {
    if (!dialogs_) return true;
    const TorvikDialogs::FileDialog dialog =
        parameterFileDialog(QT_TRANSLATE_NOOP("TCustomTorvik", "Charge un fichier indicateur"));
    const auto name = dialogs_->askFileName(dialog, false);
    if (!name) return true;
    qv7::ParamLoadResult result;
    qv7::ParamFileFault fault;
    {
        std::lock_guard lock(imageMutex_);
        result = qv7::loadParamFile(*name, Params.DeviceType, Params, &fault);
        // A read-all still running would overwrite what the user just loaded.
        if (result == qv7::ParamLoadResult::Loaded && qv7::stepOf(qv7::Transfer::ReadAll, Step.load()))
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
    if (stopping_) {
        // The exchange on the wire is over once its answer was booked (the step moved on, or the
        // probe was answered) or its repeat interval passed.
        const bool answered =
            probing_ ? probeAnswered : !(awaiting_ && step == sentStep_ && generation == sentGeneration_);
        if (answered || timedOut) finishStop();
        return;
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
