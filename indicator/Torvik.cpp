#include "indicator/Torvik.h"

#include <QLoggingCategory>
#include <QMetaObject>

#include <utility>

Q_LOGGING_CATEGORY(lcIndicator, "qv7.indicator")

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

    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, [this] { StepTimer(); });
    timer_.start();
}

TCustomTorvik::~TCustomTorvik() {
    timer_.stop();
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
    const bool opened = master_->OpenDevice(Index);
    if (opened)
        DeviceText =
            QString::fromStdString(master_->DeviceDescription(master_->DeviceNumber())).left(MaxTextLength);
    return opened;
}

void TCustomTorvik::CloseDevice() {
    master_->CloseDevice();
}

void TCustomTorvik::ReadAll() {
    Step = 1;
}

void TCustomTorvik::ReadLin() {
    Step = 10;
}

void TCustomTorvik::WriteAll() {
    qv7::ConfigRegisters registers;
    {
        std::lock_guard lock(imageMutex_);
        registers = qv7::registersFromParams(Params);
    }
    for (int r = 0; r < qv7::BlockLength; ++r) {
        master_->HoldingRegisters[static_cast<std::size_t>(qv7::ConfigBlockStart + r)] =
            registers[static_cast<std::size_t>(qv7::ConfigBlockStart + r)];
        master_->HoldingRegisters[static_cast<std::size_t>(qv7::AlarmBlockStart + r)] =
            registers[static_cast<std::size_t>(qv7::AlarmBlockStart + r)];
    }
    Step = 101;
}

void TCustomTorvik::WriteLin() {
    qv7::TableRegisters table;
    std::uint16_t control = 0;
    {
        std::lock_guard lock(imageMutex_);
        table = qv7::registersFromLinTable(LinTable);
        control = qv7::linControlWord(Params);
    }
    for (std::size_t i = 0; i < table.size(); ++i)
        master_->HoldingRegisters[qv7::TableStart + i] = table[i];
    master_->HoldingRegisters[qv7::LinControlRegister] = control;
    Step = 110;
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
    }
    if (result != qv7::ParamLoadResult::Loaded) dialogs_->showMessage(qv7::paramLoadMessage(result));
    return true;
}

// ---------------------------------------------------------------------------------------------
// The step machine: one request per tick (component's thread)

void TCustomTorvik::StepTimer() {
    const std::int32_t step = Step.load();
    if (step == 0) return;
    if (step == 1) return master_->ReadInputRegisters(qv7::TypeWordRegister, 1);
    if (step == 2) return tickReadBlock(qv7::ConfigBlockStart, qv7::BlockLength);
    if (step == 3) return tickReadBlock(qv7::AlarmBlockStart, qv7::BlockLength);
    if (inRange(step, 10, 17))
        return tickReadBlock(qv7::TableStart + qv7::TableBlockLength * (step - 10), qv7::TableBlockLength);
    if (step == 50) return tickReadAllCompleted();
    if (step == 60) return master_->ReadInputRegisters(1, 3);
    if (step == 101) return tickWriteBlock(qv7::ConfigBlockStart, qv7::BlockLength);
    if (step == 102) return tickWriteBlock(qv7::AlarmBlockStart, qv7::BlockLength);
    if (inRange(step, 110, 117))
        return tickWriteBlock(qv7::TableStart + qv7::TableBlockLength * (step - 110), qv7::TableBlockLength);
    if (step == 118) return tickWriteBlock(qv7::LinControlRegister, 1);
    std::int32_t expected = step;
    Step.compare_exchange_strong(expected, -1);
}

void TCustomTorvik::tickReadBlock(int start, int count) {
    master_->ReadHoldingRegisters(start, count);
}

void TCustomTorvik::tickReadAllCompleted() {
    Step = -1;
    post([this] { raise(OnReadAllCompleted, this); });
}

void TCustomTorvik::tickWriteBlock(int start, int count) {
    master_->WriteMultipleRegisters(start, count, master_->HoldingRegisters);
}

// ---------------------------------------------------------------------------------------------
// Replies (reader thread). A reply moves Step on only from the step that asked for it, with one
// compare-and-swap: a late reply can neither undo an operation the window started meanwhile nor
// write the image outside the read that wants it.

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

void TCustomTorvik::handleTypeWord(std::uint16_t typeWord) {
    std::int32_t expected = 1;
    if (!Step.compare_exchange_strong(expected, 2)) return;
    std::lock_guard lock(imageMutex_);
    qv7::storeTypeWord(Params, typeWord);
    fourDigits_ = (typeWord & 0x4) != 0;
    modelName_ = qv7::BuildModelName(typeWord);
}

void TCustomTorvik::handleConfigRegister(int address) {
    const std::int32_t readingStep = address < qv7::AlarmBlockStart ? 2 : 3;
    if (Step.load() != readingStep) return;
    {
        std::lock_guard lock(imageMutex_);
        qv7::storeHoldingRegister(Params, address, configSnapshot());
    }
    std::int32_t expected = readingStep;
    if (address == qv7::ConfigBlockStart + qv7::BlockLength - 1) Step.compare_exchange_strong(expected, 3);
    if (address == qv7::AlarmBlockStart + qv7::BlockLength - 1) Step.compare_exchange_strong(expected, 50);
}

void TCustomTorvik::handleTableRegister(int address) {
    const int position = address - qv7::TableStart;
    const int block = position / qv7::TableBlockLength;
    std::int32_t expected = 10 + block;
    if (Step.load() != expected) return;
    auto report = [this, position] { post([this, position] { raise(OnReadLin, this, position); }); };
    if (position % qv7::TableBlockLength != qv7::TableBlockLength - 1) return report();
    // Step moves before the block's last event goes out, so a handler that ticks at once (qv7ctl,
    // the benchmark) already asks for the next block.
    if (block < 7) {
        if (Step.compare_exchange_strong(expected, expected + 1)) report();
        return;
    }
    if (!Step.compare_exchange_strong(expected, -1)) return;
    TLinTable table;
    {
        std::lock_guard lock(imageMutex_);
        LinTable = qv7::linTableFromRegisters(tableSnapshot());
        table = LinTable;
    }
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
    std::int32_t expected = 60;
    if (!Step.compare_exchange_strong(expected, -1)) return;
    {
        std::lock_guard lock(imageMutex_);
        qv7::storeTypeWord(Params, typeWord);
        fourDigits_ = (typeWord & 0x4) != 0;
        modelName_ = qv7::BuildModelName(typeWord);
    }
    post([this] { raise(OnReadMeasure, this); });
}

void TCustomTorvik::HandleWriteReply() {
    std::int32_t step = Step.load();
    if (step == 101) {
        Step.compare_exchange_strong(step, 102);
    } else if (step == 102) {
        if (Step.compare_exchange_strong(step, 0)) post([this] { raise(OnWriteAllCompleted, this); });
    } else if (inRange(step, 110, 117)) {
        const int position = qv7::TableBlockLength * (step - 110) + qv7::TableBlockLength - 1;
        if (Step.compare_exchange_strong(step, step + 1))
            post([this, position] { raise(OnWriteLin, this, position); });
    } else if (step == 118) {
        if (Step.compare_exchange_strong(step, 0)) post([this] { raise(OnWriteLinCompleted, this); });
    }
    post([this] { raise(OnWordBlockWriting, this); });
}
