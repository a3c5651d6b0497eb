// The indicator component: stands for the one attached indicator. Owns the transport (device
// selection, connection, the device lock; the bridge's firmware commands where it is a bridge) and
// the Modbus master that talks through its frame link, and runs every
// transfer as a step machine that sends the next request as soon as the reply to the last one is booked
// (paced by indicator/Pacing.h); when a request went unanswered for the step interval, its timer sends the
// probe, then the request again, so that no late answer is booked for another request. The steps are
// proto/TransferPlan.h's. Operations run on the component's (window) thread; replies are booked on the
// reader thread and every event is then delivered on the component's thread, queued, in the order it was
// raised.
#pragma once

#include "indicator/Pacing.h"
#include "indicator/ParamFile.h"
#include "link/Transport.h"
#include "modbus/MiniModbus.h"
#include "proto/ParamImage.h"
#include "proto/TransferPlan.h"
#include "proto/TypeWord.h"

#include <QMetaObject>
#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

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
// answering: false once NoAnswerTries requests in a row went without a valid answer, true at the
// next valid answer after that.
using TAnswerStateEvent = std::function<void(TComponent* Sender, bool answering)>;
// The indicator's echo of a write into the command register: the value it took.
using TCommandEchoEvent = std::function<void(TComponent* Sender, int value)>;

namespace qv7 {
// Model-designation codes (proto/TypeWord.h).
using typeword::FourAlarmCode;
using typeword::InputCodes;
using typeword::OptionSuffixBit5;
using typeword::OptionSuffixBit6;

// The model designation of a type word ("Qv7-"/"Pel-", input code, alarm code, option suffixes).
QString BuildModelName(std::uint32_t typeWord);
} // namespace qv7

// Events are assignable std::function members named after the events. Each one is called on the
// component's thread through a queued call, so a handler may touch the user interface; an unassigned
// event is skipped. Assign them before OpenDevice.
class TCustomTorvik : public QObject, public TComponent {
    Q_OBJECT
public:
    // Window thread. Takes the transport (or builds the HID bridge's on a HID access) and builds the
    // master on its link (Node 255); the step timer's interval is 1000 ms.
    explicit TCustomTorvik(qv7::TransportSource transport, QObject* parent = nullptr);
    // Stops the reader thread before anything it reports to is freed; pending events are dropped.
    ~TCustomTorvik() override;

    // --- Device operations (component's thread; none waits for the indicator) ---
    int ScanDevices(); // number of attached indicators
    // Index from 1. Claims the indicator first (the transport's device lock): false, with
    // LockHolder() set, when another program drives it. On success DeviceText := its description.
    bool OpenDevice(int Index);
    void CloseDevice(); // ends the reader thread and lets the indicator go
    // Each transfer starts a new one: a request of the one it replaces that is still unanswered is
    // abandoned, and its answer, should it come, is booked nowhere.
    void ReadAll();  // Step := StepReadTypeWord (1)
    void ReadLin();  // Step := StepReadTable (10)
    void WriteAll(); // Params -> the write buffer (registers 0-11, 16-27); Step := StepWriteConfig (101)
    void WriteLin(); // LinTable -> the write buffer (registers 32-159, register 2); Step := StepWriteTable
    // Ends the running transfer at the next frame boundary: no request goes after this. The one on
    // the wire is still answered and booked (its events raised), or abandoned once its repeat
    // interval passed; then the component is idle, a late answer booked nowhere, and `stopped` runs
    // with the step reached (the first whose answer was not booked, or the transfer's end) and
    // whether that step's request went out unanswered. At once when nothing is awaited; a transfer
    // started meanwhile cancels the stop.
    void StopAtFrameBoundary(std::function<void(std::int32_t step, bool sentUnanswered)> stopped);
    void ReadADCValues();    // sends the read of input registers 5-8 now
    void AdjustZero1();      // write 1 to register 1000 now
    void AdjustFullScale1(); // 2
    void AdjustZero2();      // 3
    void AdjustFullScale2(); // 4
    // The bridge's result (64, or -2 after the hand-off limit); -1 on a transport without a bridge.
    int EraseFirmware();
    int ProgramFirmware();
    int ResetUsb();
    // Save/load dialogs and checks through dialogs(); both return true (cancel and rejection
    // included). Raise qv7::EInOutError when the chosen file cannot be created / opened.
    // Without dialogs set they do nothing. A file loaded while a read-all runs ends that read, so
    // the file's values stand. SaveToFile(image) saves `image` instead of the record (the window's
    // pages with the edits not yet written).
    bool SaveToFile();
    bool SaveToFile(const TParamImage& image);
    bool LoadFromFile();

    // One tick of the step machine: repeats the outstanding request of the current Step at once, or
    // sends the next one as soon as the pacing rule lets it (reports read-all completion at Step 50).
    // The timer calls it when a request went unanswered for the repeat interval; tests may call it.
    // Component's thread.
    void StepTimer();
    // The least time before an unanswered request is repeated (1000 ms).
    void setStepInterval(int ms);
    int stepInterval() const;
    // The pacing rule's figures; tests and the soak shorten them for the simulated indicator.
    qv7::RequestPacing& pacing() { return pacing_; }
    // Requests sent so far, repeats included, and how many of them were repeats.
    int requestsSent() const { return requestsSent_; }
    int repeatsSent() const { return repeatsSent_; }
    // Probes sent so far (counted in requestsSent too): one after each request that went unanswered.
    int probesSent() const { return probesSent_; }
    // Component's thread: copies of the current step's request sent so far (1 for the first).
    int stepTries() const { return stepTries_; }
    // Unanswered requests in a row after which OnAnswerState says the indicator does not answer; the
    // count starts again at each open and each transfer started.
    static constexpr int NoAnswerTries = 3;
    // Frames dropped so far, by reason (the master's counts; any thread).
    int rejections(TRejectReason reason) const {
        return master_->Rejections[static_cast<std::size_t>(reason)].load();
    }

    // The process id of the program that held the indicator when the last OpenDevice failed for that
    // reason, -1 when that program cannot be told; 0 otherwise.
    qint64 LockHolder() const { return lockHolder_; }

    void setDialogs(TorvikDialogs* dialogs) { dialogs_ = dialogs; }
    TorvikDialogs* dialogs() const { return dialogs_; }

    // --- State ---
    // The transfer's step, one of proto/TransferPlan.h's: -1 idle, 0 idle after a write, 1-3
    // read-all, 10-17 table read, 50 read-all done, 60 live measure, 101-102 write-all, 110-118 table write.
    std::atomic<std::int32_t> Step{qv7::StepIdle};
    // Window thread: the description of the opened device, at most 255 characters, in the window's
    // language when it was opened; deviceTextNow() says it in the window's language now.
    QString DeviceText;
    QString deviceTextNow() const;
    // The parameter image and the table are read and edited only through these, which take the
    // image's lock: the reader thread books replies into them while a read transfer runs.
    // The record and the table as they stand, copied under the image's lock; any thread.
    TParamImage paramsSnapshot() const;
    TLinTable linTableSnapshot() const;
    // Runs `edit` on the record and the table under the image's lock, as one step; any thread. It
    // must not call back into the component.
    void editImage(const std::function<void(TParamImage&, TLinTable&)>& edit);
    // Type-word bit 2 and the model designation (empty until the type word arrived); any thread.
    bool FourDigits() const;
    QString ModelName() const;

    TMiniModbusMaster& Master() { return *master_; }
    const TMiniModbusMaster& Master() const { return *master_; }
    // What the master talks through: device selection, identity, the frame link.
    qv7::Transport& transport() { return *transport_; }

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
    // A received frame was dropped, and why ("exception 02 illegal data address": RejectText).
    TRejectEvent OnFrameRejected;
    // Every frame sent and received, with the master's verdict on it (frame monitors, captures).
    TFrameEvent OnFrame;
    TCommandEchoEvent OnCommandAnswered;
    // false after NoAnswerTries unanswered requests; true on the first answer after that and after a
    // connection.
    TAnswerStateEvent OnAnswerState;
    TDebugStreamEvent TxDebugStream;
    TDebugStreamEvent RxDebugStream;

private:
    TParamImage Params;   // guarded by imageMutex_
    TLinTable LinTable{}; // guarded by imageMutex_

    // Reader thread.
    void HandleDataArrival(TDataType DataType, std::int32_t Address, std::int32_t Data);
    void HandleWriteReply();
    void handleConfigRegister(int address);
    void handleTableRegister(int address);
    void handleTypeWord(std::uint16_t typeWord);
    void storeTypeWord(std::uint16_t typeWord);
    void handleAdcValues();
    void handleMeasure(std::uint16_t typeWord);
    void handleProbeAnswer();
    qv7::ConfigRegisters configSnapshot() const;
    qv7::TableRegisters tableSnapshot() const;

    // Component's thread: the pacing of the step machine.
    void schedulePace();
    // timedOut: the request on the wire went unanswered for the repeat interval.
    void pace(bool timedOut = false);
    void settle(std::int32_t step);
    void sendProbe();
    std::vector<qv7::RequestShape> awaitedShapes() const;
    void issue(std::int32_t step, std::uint64_t generation);
    void sendRequest(std::int32_t step);
    void startTransfer(std::int32_t step);
    void finishStop();
    // One function per kind of step.
    void tickReadBlock(int start, int count);
    void tickReadAllCompleted();
    void tickWriteBlock(int start, int count);
    // Reader thread, under imageMutex_: the reply of the request in flight has been booked; true
    // when it may move Step, i.e. it answers a request of the running transfer.
    bool replyIsCurrent() const;
    void markAnswered();

    // Hands an event to the component's thread, behind every event posted before it.
    template <typename Fn> void post(Fn&& fn);

    // The transport, built before the master that refers to its link and gone after it.
    std::unique_ptr<qv7::Transport> transport_;
    std::unique_ptr<TMiniModbusMaster> master_;
    QTimer timer_;     // repeats an unanswered request
    QTimer paceTimer_; // sends the next request once the pacing rule lets it
    qv7::RequestPacing pacing_;
    TorvikDialogs* dialogs_ = nullptr;
    mutable std::mutex imageMutex_;
    bool fourDigits_ = false; // guarded by imageMutex_
    QString modelName_;       // guarded by imageMutex_

    // Every transfer the window starts is a new generation. A reply is booked only while the
    // generation of the request in flight is the running one, and the check and the store are one
    // step under imageMutex_: no reply lands in Params after a load or a write began.
    std::uint64_t generation_ = 0;     // guarded by imageMutex_
    std::uint64_t inFlight_ = 0;       // generation of the request on the wire; guarded by imageMutex_
    bool probeAnswered_ = false;       // an answer to the probe came; guarded by imageMutex_
    std::int32_t sentStep_ = -1;       // component's thread: the step whose request is on the wire
    std::uint64_t sentGeneration_ = 0; // component's thread
    bool awaiting_ = false;            // component's thread: sentStep_'s answer is still due
    bool probing_ = false;             // component's thread: the probe is out, its answer not seen
    int requestsSent_ = 0;
    int repeatsSent_ = 0;
    int probesSent_ = 0;
    int stepTries_ = 0;
    // Component's thread: requests in a row that went without a valid answer, counted again from
    // each open and each transfer started, so every one of them that goes unanswered is said.
    int unanswered_ = 0;
    // Component's thread: OnAnswerState(false) was the last raised, or none since the connection.
    bool saidNoAnswer_ = false;
    // Component's thread: a stop waits for the frame boundary; what to call once it is there.
    bool stopping_ = false;
    std::function<void(std::int32_t, bool)> stopped_;
    void answerCame();

    // What write-all and table write send, filled when they start; only the component's thread
    // touches it, so no read reply can change what is written.
    std::array<std::uint16_t, qv7::TableStart + qv7::TableRegisterCount> writeBuffer_{};

    qv7::DeviceText description_; // of the opened device
    qint64 lockHolder_ = 0;
};

// The component as the main window holds it: the events made public for assignment.
class TTorvik : public TCustomTorvik {
    Q_OBJECT
public:
    using TCustomTorvik::OnAnswerState;
    using TCustomTorvik::OnCommandAnswered;
    using TCustomTorvik::OnConnect;
    using TCustomTorvik::OnDisconnect;
    using TCustomTorvik::OnFrame;
    using TCustomTorvik::OnFrameRejected;
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

template <typename Fn> void TCustomTorvik::post(Fn&& fn) {
    // Queued even from the component's own thread, so every event keeps its place behind the ones
    // the reader thread posted before it.
    QMetaObject::invokeMethod(this, std::forward<Fn>(fn), Qt::QueuedConnection);
}
