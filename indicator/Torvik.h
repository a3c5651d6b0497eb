// The indicator component: stands for the one attached indicator. Owns the Modbus master (which is
// also the HID-serial bridge) and a step timer; runs every transfer as a step machine, one request
// per tick, moved on by the replies. Operations and StepTimer run on the component's (window) thread;
// replies are booked on the reader thread and every event is then delivered on the component's thread,
// queued, in the order it was raised.
#pragma once

#include "indicator/ParamFile.h"
#include "indicator/ParamImage.h"
#include "modbus/MiniModbus.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

// File dialogs and message boxes of SaveToFile / LoadFromFile. The window layer implements it with
// Qt Widgets; tests answer in advance. Called on the component's thread.
class TorvikDialogs {
public:
    virtual ~TorvikDialogs() = default;
    struct FileDialog {
        QString title, filter, directory, proposedName, defaultExtension;
        bool confirmOverwrite = false;
    };
    // The chosen file name; nullopt when the user cancelled.
    virtual std::optional<QString> askFileName(const FileDialog& dialog, bool save) = 0;
    // A plain message box with an OK button.
    virtual void showMessage(const QString& text) = 0;
};

// Event types of the component (Sender is always the component).
using TLinEvent = std::function<void(TComponent* Sender, int position)>;
using TReadLinCompletedEvent = std::function<void(TComponent* Sender, const TLinTable& ReadLinTable)>;
using TReadADCValuesEvent = std::function<void(TComponent* Sender, float fval1, float fval2)>;

namespace qv7 {
// Model-designation codes: input codes of type-word bits 8-15, the four-alarm code, the option
// suffixes of bits 5 and 6.
inline constexpr const char* InputCodes[8] = {"MA", "V", "PT", "TC", "P", "F", "UNI", "UI"}; // bits 8..15
inline constexpr char FourAlarmCode[] = "4RL";
inline constexpr char OptionSuffixBit5[] = "-OP";
inline constexpr char OptionSuffixBit6[] = "-RS";

// The model designation of a type word ("Qv7-"/"Pel-", input code, alarm code, option suffixes).
QString BuildModelName(std::uint32_t typeWord);
} // namespace qv7

// Events are assignable std::function members named after the events. Each one is called on the
// component's thread through a queued call, so a handler may touch the user interface; an unassigned
// event is skipped. Assign them before OpenDevice.
class TCustomTorvik : public QObject, public TComponent {
    Q_OBJECT
public:
    // Window thread. Builds the master on `access` (ProductIdent "HID-QV7   ", Node 255) and starts
    // the step timer (1000 ms). Waits for the master's two start-up reports (up to 2 x 100 ms).
    explicit TCustomTorvik(qv7::HidAccess& access, QObject* parent = nullptr);
    // Stops the reader thread before anything it reports to is freed; pending events are dropped.
    ~TCustomTorvik() override;

    // --- Device operations (component's thread; none waits for the indicator) ---
    int ScanDevices();          // number of attached bridges that match
    bool OpenDevice(int Index); // Index from 1; on success DeviceText := the bridge's description
    void CloseDevice();         // ends the reader thread
    void ReadAll();             // Step := 1
    void ReadLin();             // Step := 10
    void WriteAll();            // Params -> master's registers 0-11, 16-27; Step := 101
    void WriteLin();            // LinTable -> registers 32-159, register 2; Step := 110
    void ReadADCValues();       // sends the read of input registers 5-8 now
    void AdjustZero1();         // write 1 to register 1000 now
    void AdjustFullScale1();    // 2
    void AdjustZero2();         // 3
    void AdjustFullScale2();    // 4
    int EraseFirmware();        // the bridge's result (64, or -2 after the hand-off limit)
    int ProgramFirmware();
    int ResetUsb();
    // Save/load dialogs and checks through dialogs(); both return true (cancel and rejection
    // included). Raise qv7::EInOutError when the chosen file cannot be created / opened.
    // Without dialogs set they do nothing.
    bool SaveToFile();
    bool LoadFromFile();

    // One tick of the step machine: sends the request of the current Step (or reports read-all
    // completion). The timer calls it; tests and qv7ctl may call it directly. Component's thread.
    void StepTimer();
    void setStepInterval(int ms);
    int stepInterval() const;

    void setDialogs(TorvikDialogs* dialogs) { dialogs_ = dialogs; }
    TorvikDialogs* dialogs() const { return dialogs_; }

    // --- State ---
    // -1 idle, 0 idle after a write, 1-3 read-all, 10-17 table read, 50 read-all done,
    // 60 live measure, 101-102 write-all, 110-118 table write.
    std::atomic<std::int32_t> Step{-1};
    // Window thread: the description of the opened device, at most 255 characters.
    QString DeviceText;
    // The parameter image and the table. The reader thread writes them only while a read transfer
    // runs (before the event that reports it); the window reads them after that event and edits them
    // only while no read runs, then starts the write. The component's own accesses take imageMutex().
    TParamImage Params;
    TLinTable LinTable{};
    // Type-word bit 2 and the model designation (empty until the type word arrived); any thread.
    bool FourDigits() const;
    QString ModelName() const;
    std::mutex& imageMutex() const { return imageMutex_; }

    TMiniModbusMaster& Master() { return *master_; }

protected:
    TNotifyEvent OnConnect;
    TNotifyEvent OnDisconnect;
    TNotifyEvent OnReadAllCompleted;
    TNotifyEvent OnReadMeasure;
    TNotifyEvent OnWriteAllCompleted;
    TLinEvent OnReadLin; // position 0-127 per table register read
    TReadLinCompletedEvent OnReadLinCompleted;
    TLinEvent OnWriteLin; // 15, 31, ..., 127 per table block written
    TNotifyEvent OnWriteLinCompleted;
    TNotifyEvent OnWordBlockWriting; // after every write-multiple reply, after the step's own event
    TReadADCValuesEvent OnReadADCValues;
    TDebugStreamEvent TxDebugStream;
    TDebugStreamEvent RxDebugStream;

private:
    // Reader thread.
    void HandleDataArrival(TDataType DataType, std::int32_t Address, std::int32_t Data);
    void HandleWriteReply();
    void handleConfigRegister(int address);
    void handleTableRegister(int address);
    void handleTypeWord(std::uint16_t typeWord);
    void handleAdcValues();
    void handleMeasure(std::uint16_t typeWord);
    qv7::ConfigRegisters configSnapshot() const;
    qv7::TableRegisters tableSnapshot() const;

    // Component's thread: one function per step of the tick.
    void tickReadBlock(int start, int count);
    void tickReadAllCompleted();
    void tickWriteBlock(int start, int count);

    // Hands an event to the component's thread, behind every event posted before it.
    template <typename Fn> void post(Fn&& fn);

    std::unique_ptr<TMiniModbusMaster> master_;
    QTimer timer_;
    TorvikDialogs* dialogs_ = nullptr;
    mutable std::mutex imageMutex_;
    bool fourDigits_ = false; // guarded by imageMutex_
    QString modelName_;       // guarded by imageMutex_
};

// The component as the main window holds it: the events made public for assignment.
class TTorvik : public TCustomTorvik {
    Q_OBJECT
public:
    using TCustomTorvik::OnConnect;
    using TCustomTorvik::OnDisconnect;
    using TCustomTorvik::OnReadADCValues;
    using TCustomTorvik::OnReadAllCompleted;
    using TCustomTorvik::OnReadLin;
    using TCustomTorvik::OnReadLinCompleted;
    using TCustomTorvik::OnReadMeasure;
    using TCustomTorvik::OnWordBlockWriting;
    using TCustomTorvik::OnWriteAllCompleted;
    using TCustomTorvik::OnWriteLin;
    using TCustomTorvik::OnWriteLinCompleted;
    using TCustomTorvik::RxDebugStream;
    using TCustomTorvik::TCustomTorvik;
    using TCustomTorvik::TxDebugStream;
};
