#include "indicator/Torvik.h"

#include <QLoggingCategory>
#include <QMetaObject>

#include <utility>

Q_LOGGING_CATEGORY(lcIndicator, "qv7.indicator", QtWarningMsg)

namespace {

const char* const FileFilter = "Fichiers indicateur (*.QV)|*.QV|Tous les fichiers (*.*)|*.*";
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
    : QObject(parent), master_(std::make_unique<TMiniModbusMaster>(access)) {
    master_->ProductIdent = "HID-QV7   ";
    master_->Node = 255;
    master_->OnDataArrival = [this](TComponent*, TDataType type, std::int32_t address, std::int32_t data) {
        HandleDataArrival(type, address, data);
    };
    master_->OnWordBlockWriting = [this](TComponent*) { HandleWriteReply(); };
    master_->TxDebugStream = [this](TComponent*, const std::string& text) {
        post([this, text] { raise(TxDebugStream, this, text); });
    };
    master_->RxDebugStream = [this](TComponent*, const std::string& text) {
        post([this, text] { raise(RxDebugStream, this, text); });
    };
    master_->OnConnect = [this](TComponent*) { post([this] { raise(OnConnect, this); }); };
    master_->OnDisconnect = [this](TComponent*) { post([this] { raise(OnDisconnect, this); }); };

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
    master_->StopReader();
}

template <typename Fn> void TCustomTorvik::post(Fn&& fn) {
    // Queued even from the component's own thread, so every event keeps its place behind the ones
    // the reader thread posted before it.
    QMetaObject::invokeMethod(this, std::forward<Fn>(fn), Qt::QueuedConnection);
}

// ---------------------------------------------------------------------------------------------
// Device operations (component's thread)

int TCustomTorvik::ScanDevices() {
    return master_->CountDevices();
}

bool TCustomTorvik::OpenDevice(int Index) {
    lockHolder_ = 0;
    const std::string path = master_->MatchingDevicePath(Index);
    if (path.empty()) return false;
    // Another program driving the same indicator would swallow our replies and we its. The claim
    // this component holds already covers the indicator it opens again (a new scan).
    std::unique_ptr<qv7::DeviceClaim> claim;
    if (!claim_ || claimPath_ != path) {
        long holder = 0;
        claim = master_->Access().claim(path, holder);
        if (!claim) {
            lockHolder_ = holder > 0 ? holder : -1;
            qCInfo(lcIndicator) << "indicator" << Index << "is in use by process" << holder;
            return false;
        }
    }
    if (!master_->OpenDevice(Index)) return false; // a claim just taken goes with `claim`
    if (claim) {
        claim_ = std::move(claim);
        claimPath_ = path;
    }
    DeviceText =
        QString::fromStdString(master_->DeviceDescription(master_->DeviceNumber())).left(MaxTextLength);
    return true;
}

void TCustomTorvik::CloseDevice() {
    master_->CloseDevice();
    claim_.reset();
}

void TCustomTorvik::startTransfer(std::int32_t step) {
    // Under the image lock: a reply being booked on the reader thread finishes first, and none of
    // the abandoned transfer's replies is booked after this.
    ++generation_;
    Step = step;
}

void TCustomTorvik::ReadAll() {
    {
        std::lock_guard lock(imageMutex_);
        startTransfer(1);
    }
    schedulePace();
}

void TCustomTorvik::ReadLin() {
    {
        std::lock_guard lock(imageMutex_);
        startTransfer(10);
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
        startTransfer(101);
    }
    schedulePace();
}

void TCustomTorvik::WriteLin() {
    {
        std::lock_guard lock(imageMutex_);
        const qv7::TableRegisters table = qv7::registersFromLinTable(LinTable);
        std::copy(table.begin(), table.end(), writeBuffer_.begin() + qv7::TableStart);
        writeBuffer_[qv7::LinControlRegister] = qv7::linControlWord(Params);
        startTransfer(110);
    }
    schedulePace();
}

void TCustomTorvik::ReadADCValues() {
    master_->ReadInputRegisters(qv7::FirstAdcRegister, 4);
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
    return master_->EraseBridgeFirmware();
}
int TCustomTorvik::ProgramFirmware() {
    return master_->WriteBridgeFirmware();
}
int TCustomTorvik::ResetUsb() {
    return master_->ResetBridge();
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

void TCustomTorvik::setReplyHorizon(int ms) {
    pacing_.setReplyHorizon(std::chrono::milliseconds(ms));
}
int TCustomTorvik::stepInterval() const {
    return timer_.interval();
}

// ---------------------------------------------------------------------------------------------
// Parameter files (component's thread)

bool TCustomTorvik::SaveToFile() {
    if (!dialogs_) return true;
    TorvikDialogs::FileDialog dialog;
    dialog.title = QStringLiteral("sauve un fichier indicateur");
    dialog.filter = QString::fromLatin1(FileFilter);
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
    dialog.title = QStringLiteral("Charge un fichier indicateur");
    dialog.filter = QString::fromLatin1(FileFilter);
    dialog.directory = QStringLiteral(".");
    const auto name = dialogs_->askFileName(dialog, false);
    if (!name) return true;
    qv7::ParamLoadResult result;
    {
        std::lock_guard lock(imageMutex_);
        result = qv7::loadParamFile(*name, Params.DeviceType, Params);
        // A read-all still running would overwrite what the user just loaded.
        const std::int32_t step = Step.load();
        if (result == qv7::ParamLoadResult::Loaded && step >= 1 && step <= 3) startTransfer(-1);
    }
    if (result != qv7::ParamLoadResult::Loaded) dialogs_->showMessage(qv7::paramLoadMessage(result));
    return true;
}

// ---------------------------------------------------------------------------------------------
// The step machine (component's thread). A transfer's next request goes as soon as the reply to the
// last one is booked and the pacing rule lets it; the step timer only repeats an unanswered request.

namespace {

bool isRequestStep(std::int32_t step) {
    return (step >= 1 && step <= 3) || inRange(step, 10, 17) || step == 60 || step == 101 || step == 102 ||
           inRange(step, 110, 118);
}

// The request a step sends, as the pacing rule tells requests apart.
qv7::RequestShape shapeOf(std::int32_t step) {
    if (step == 1) return {4, 1};
    if (step == 2 || step == 3) return {3, qv7::BlockLength};
    if (inRange(step, 10, 17)) return {3, qv7::TableBlockLength};
    if (step == 60) return {4, 3};
    if (step == 101 || step == 102) return {16, qv7::BlockLength};
    if (inRange(step, 110, 117)) return {16, qv7::TableBlockLength};
    return {16, 1}; // 118
}

int baudOf(TPortFormat format) {
    switch (format) {
    case TPortFormat::_19200_8E1:
        return 19200;
    case TPortFormat::_38400_8E1:
        return 38400;
    default:
        return 9600;
    }
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
    std::int32_t step;
    std::uint64_t generation;
    {
        std::lock_guard lock(imageMutex_);
        step = Step.load();
        generation = generation_;
    }
    // The outstanding request went unanswered: it goes again at once.
    if (step == sentStep_ && generation == sentGeneration_ && isRequestStep(step))
        return issue(step, generation);
    pace();
}

void TCustomTorvik::pace() {
    std::int32_t step;
    std::uint64_t generation;
    bool answered;
    {
        std::lock_guard lock(imageMutex_);
        step = Step.load();
        generation = generation_;
        answered = answered_;
        answered_ = false;
    }
    if (answered) pacing_.answered();
    // Its answer is still due: the repeat timer runs.
    if (step == sentStep_ && generation == sentGeneration_ && isRequestStep(step)) return;
    if (isRequestStep(step)) {
        const auto now = qv7::PacingClock::now();
        const auto at = pacing_.earliest(shapeOf(step), fromNs(master_->LastFrameAt.load()), now);
        if (at > now) {
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(at - now);
            paceTimer_.start(static_cast<int>(wait.count()));
            return;
        }
    }
    issue(step, generation);
}

void TCustomTorvik::issue(std::int32_t step, std::uint64_t generation) {
    if (!isRequestStep(step)) {
        timer_.stop();
        sentStep_ = -1;
        if (step == 50) return tickReadAllCompleted();
        if (step == 0 || step == -1) return;
        std::lock_guard lock(imageMutex_);
        std::int32_t expected = step;
        Step.compare_exchange_strong(expected, -1);
        return;
    }
    const bool repeat = step == sentStep_ && generation == sentGeneration_;
    const qv7::RequestShape shape = shapeOf(step);
    pacing_.setBaud(baudOf(master_->PortFormat()));
    {
        std::lock_guard lock(imageMutex_);
        // The step may have moved since it was read: a later pace() sends for the step it is now.
        if (Step.load() != step || generation_ != generation) return schedulePace();
        inFlight_ = generation;
        answered_ = false;
    }
    sentStep_ = step;
    sentGeneration_ = generation;
    ++requestsSent_;
    if (repeat) ++repeatsSent_;
    pacing_.sent(shape, qv7::PacingClock::now(), repeat);
    timer_.start(static_cast<int>(
        std::chrono::ceil<std::chrono::milliseconds>(pacing_.repeatInterval(shape)).count()));
    sendRequest(step);
}

void TCustomTorvik::sendRequest(std::int32_t step) {
    if (step == 1) return master_->ReadInputRegisters(qv7::TypeWordRegister, 1);
    if (step == 2) return tickReadBlock(qv7::ConfigBlockStart, qv7::BlockLength);
    if (step == 3) return tickReadBlock(qv7::AlarmBlockStart, qv7::BlockLength);
    if (inRange(step, 10, 17))
        return tickReadBlock(qv7::TableStart + qv7::TableBlockLength * (step - 10), qv7::TableBlockLength);
    if (step == 60) return master_->ReadInputRegisters(1, 3);
    if (step == 101) return tickWriteBlock(qv7::ConfigBlockStart, qv7::BlockLength);
    if (step == 102) return tickWriteBlock(qv7::AlarmBlockStart, qv7::BlockLength);
    if (inRange(step, 110, 117))
        return tickWriteBlock(qv7::TableStart + qv7::TableBlockLength * (step - 110), qv7::TableBlockLength);
    if (step == 118) return tickWriteBlock(qv7::LinControlRegister, 1);
}

void TCustomTorvik::tickReadBlock(int start, int count) {
    master_->ReadHoldingRegisters(start, count);
}

void TCustomTorvik::tickReadAllCompleted() {
    {
        std::lock_guard lock(imageMutex_);
        std::int32_t expected = 50;
        if (!Step.compare_exchange_strong(expected, -1)) return;
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
        if (inRange(Address, 0, 27))
            handleConfigRegister(Address);
        else if (inRange(Address, qv7::TableStart, qv7::TableStart + qv7::TableRegisterCount - 1))
            handleTableRegister(Address);
        // Anything else, such as the echo of the command register, is not ours to book.
    } else if (DataType == TDataType::dtInputRegister) {
        if (Address == qv7::TypeWordRegister)
            handleTypeWord(value);
        else if (Address == 3)
            handleMeasure(value);
        else if (Address == qv7::FirstAdcRegister + 3)
            handleAdcValues();
    }
}

bool TCustomTorvik::replyIsCurrent() const {
    return inFlight_ == generation_;
}

// The transfer moved on: the next request may go (queued behind the events just posted).
void TCustomTorvik::markAnswered() {
    answered_ = true;
    QMetaObject::invokeMethod(
        this, [this] { pace(); }, Qt::QueuedConnection);
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
    std::int32_t expected = 1;
    if (!replyIsCurrent() || !Step.compare_exchange_strong(expected, 2)) return;
    storeTypeWord(typeWord);
    markAnswered();
}

void TCustomTorvik::handleConfigRegister(int address) {
    const std::int32_t readingStep = address < qv7::AlarmBlockStart ? 2 : 3;
    std::lock_guard lock(imageMutex_);
    if (!replyIsCurrent() || Step.load() != readingStep) return;
    qv7::storeHoldingRegister(Params, address, configSnapshot());
    if (address == qv7::ConfigBlockStart + qv7::BlockLength - 1) {
        Step = 3;
        markAnswered();
    } else if (address == qv7::AlarmBlockStart + qv7::BlockLength - 1) {
        Step = 50;
        markAnswered();
    }
}

void TCustomTorvik::handleTableRegister(int address) {
    const int position = address - qv7::TableStart;
    const int block = position / qv7::TableBlockLength;
    std::unique_lock lock(imageMutex_);
    if (!replyIsCurrent() || Step.load() != 10 + block) return;
    auto report = [this, position] { post([this, position] { raise(OnReadLin, this, position); }); };
    if (position % qv7::TableBlockLength != qv7::TableBlockLength - 1) return report();
    // Step moves before the block's last event goes out, so a handler that looks at it sees the
    // next block already asked for.
    if (block < 7) {
        Step = 10 + block + 1;
        markAnswered();
        return report();
    }
    Step = -1;
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
    const float fval1 = qv7::floatFromWords(in[5].load(), in[6].load());
    const float fval2 = qv7::floatFromWords(in[7].load(), in[8].load());
    post([this, fval1, fval2] { raise(OnReadADCValues, this, fval1, fval2); });
}

void TCustomTorvik::handleMeasure(std::uint16_t typeWord) {
    {
        std::lock_guard lock(imageMutex_);
        std::int32_t expected = 60;
        if (!replyIsCurrent() || !Step.compare_exchange_strong(expected, -1)) return;
        storeTypeWord(typeWord);
        markAnswered();
    }
    post([this] { raise(OnReadMeasure, this); });
}

void TCustomTorvik::HandleWriteReply() {
    std::unique_lock lock(imageMutex_);
    const std::int32_t step = replyIsCurrent() ? Step.load() : -1;
    if (step == 101) {
        Step = 102;
        markAnswered();
    } else if (step == 102) {
        Step = 0;
        markAnswered();
        post([this] { raise(OnWriteAllCompleted, this); });
    } else if (inRange(step, 110, 117)) {
        const int position = qv7::TableBlockLength * (step - 110) + qv7::TableBlockLength - 1;
        Step = step + 1;
        markAnswered();
        post([this, position] { raise(OnWriteLin, this, position); });
    } else if (step == 118) {
        Step = 0;
        markAnswered();
        post([this] { raise(OnWriteLinCompleted, this); });
    }
    lock.unlock();
    post([this] { raise(OnWordBlockWriting, this); });
}
