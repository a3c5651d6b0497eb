#include "cli/Session.h"

#include "cli/Output.h"

#include "base/SignalPipe.h"
#include "devices/Devices.h"
#include "indicator/FileAccess.h"
#include "indicator/SignalNotifier.h"
#include "modbus/FrameCapture.h"
#include "sim/SimulatorState.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <limits>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>

namespace qv7::cli {

namespace {

const char* const PermissionHint =
    " (on Linux the logged-in user needs access to the indicator's hidraw node: see \"qv7ctl udev-rule\")";

// What the request of a step asks, for the time-out message ("the read of holding registers 0–11").
QString requestOf(int step) {
    const auto request = requestOfStep(step);
    if (!request) return QStringLiteral("the request of step %1").arg(step);
    if (step == StepReadTypeWord)
        return QStringLiteral("the read of the type word (input register %1)").arg(request->start);
    const RequestWords words = requestWords(*request);
    return QStringLiteral("the %1 of %2")
        .arg(QLatin1String(words.verb), QString::fromStdString(words.registers));
}

// The request of a step as Modbus names it ("read holding registers 0–11"), for the message of a
// request that got no valid answer.
QString modbusRequestOf(int step) {
    const auto request = requestOfStep(step);
    if (!request) return QStringLiteral("the request of step %1").arg(step);
    const RequestWords words = requestWords(*request);
    return QLatin1String(words.verb) + ' ' + QString::fromStdString(words.registers);
}

std::atomic<bool> stateUnsaved{false};
std::atomic<bool> captureFailed{false};

// The master's texts (the reasons it rejects frames for) in English.
std::string englishMasterText(const char* french) {
    return english("TMiniModbus", french).toStdString();
}

std::atomic<int> endSignalCame{0};

// The sessions' loops waiting for an end signal, each woken on its own thread.
std::mutex wakesMutex;
std::map<std::uint64_t, std::pair<QObject*, std::function<void()>>> wakes;
std::uint64_t nextWake = 0;

// The signals' pipe, watched on the main thread for as long as the application lives.
class EndSignalWatch : public QObject {
public:
    explicit EndSignalWatch(QObject* parent) : QObject(parent) {
        notifier_ = makeSignalNotifier(pipe_, [](int number) {
            int none = 0;
            endSignalCame.compare_exchange_strong(none, number);
            std::lock_guard lock(wakesMutex);
            for (const auto& [id, wake] : wakes)
                QMetaObject::invokeMethod(wake.first, wake.second, Qt::QueuedConnection);
        });
    }

private:
    SignalPipe pipe_{SIGTERM, SIGINT, HangUpSignal};
    std::unique_ptr<QObject> notifier_; // goes before the pipe it watches
};

void watchEndSignals() {
    QCoreApplication* app = QCoreApplication::instance();
    static bool watched = false;
    if (app == nullptr || watched || QThread::currentThread() != app->thread()) return;
    watched = true;
    new EndSignalWatch(app);
}

} // namespace

int endSignal() {
    return endSignalCame.load();
}

EndSignalWake::EndSignalWake(QObject* context, std::function<void()> wake) {
    std::lock_guard lock(wakesMutex);
    id_ = nextWake++;
    wakes.emplace(id_, std::pair(context, std::move(wake)));
}

EndSignalWake::~EndSignalWake() {
    std::lock_guard lock(wakesMutex);
    wakes.erase(id_);
}

bool simulatorStateUnsaved() {
    return stateUnsaved.load();
}

bool captureUnsaved() {
    return captureFailed.load();
}

Session::Session(const Options& options) : options_(options) {
    watchEndSignals();
    openDevices();
    torvik_ = std::make_unique<TTorvik>(devices_->transport());
    // The component sends each request as soon as the last reply is booked and repeats an unanswered
    // one after the retry interval.
    torvik_->setStepInterval(options_.retryMs);
    if (!options_.capture.isEmpty()) capture_ = std::make_unique<FrameCapture>(englishMasterText);
    wireEvents();
}

Session::~Session() {
    try {
        saveSimulatorState();
    } catch (const CliError& e) {
        stateUnsaved = true;
        std::fprintf(stderr, "qv7ctl: %s\n", qPrintable(e.message));
    }
    if (capture_) {
        // The last frames' events are queued behind the completion that ended the command: the
        // reader stops, then they are delivered to the capture before the component goes.
        progress_ = nullptr;
        torvik_->CloseDevice();
        QCoreApplication::sendPostedEvents(torvik_.get(), QEvent::MetaCall);
    }
    // The component goes first (its destructor ends the reader thread), then the devices.
    torvik_.reset();
    devices_.reset();
    saveCapture();
}

void Session::saveCapture() const {
    if (!capture_ || !opened_) return;
    if (capture_->dropped() > 0)
        std::fprintf(
            stderr, "qv7ctl: %s: the last %zu frames were not kept (the capture holds %zu MiB at most)\n",
            options_.capture.toUtf8().constData(), capture_->dropped(), FrameCapture::MaxBytes >> 20);
    if (const int error = capture_->save(fileNameBytes(options_.capture))) {
        captureFailed = true;
        std::fprintf(stderr, "qv7ctl: the capture was not saved to %s: %s\n",
                     options_.capture.toUtf8().constData(), saveErrorText(error).toUtf8().constData());
    }
}

void Session::openDevices() {
    DeviceChoice choice;
    choice.simulate = options_.simulate;
    choice.typeWord = options_.simulateTypeWord;
    choice.count = options_.simulateCount;
    choice.stateFile =
        options_.simulateState.isEmpty() ? std::string() : fileNameBytes(options_.simulateState);
    choice.fault = options_.simulateFault.toStdString();
    try {
        devices_ = std::make_unique<Devices>(choice);
    } catch (const SimulatorStateError& e) {
        throw CliError{ExitFileError, QString::fromStdString(e.what())};
    }
    if (const long holder = devices_->stateHolder(); holder != 0)
        throw CliError{ExitNoDevice,
                       holder > 0
                           ? QStringLiteral("the indicator is in use by another program (pid %1)").arg(holder)
                           : QStringLiteral("the indicator is in use by another program")};
}

void Session::saveSimulatorState() const {
    if (!devices_) return;
    try {
        devices_->saveState();
    } catch (const SimulatorStateError& e) {
        throw CliError{ExitFileError, QString::fromStdString(e.what())};
    }
}

void Session::wireEvents() {
    TTorvik& t = *torvik_;
    auto progress = [this] {
        if (progress_) progress_();
    };
    t.OnConnect = [this, progress](TComponent*) {
        connected_ = true;
        progress();
    };
    t.OnDisconnect = [this, progress](TComponent*) {
        connected_ = false;
        progress();
    };
    t.OnWordBlockWriting = [progress](TComponent*) { progress(); };
    t.OnReadAllCompleted = [this, progress](TComponent*) {
        done_ = true;
        progress();
    };
    t.OnWriteAllCompleted = [this](TComponent*) { done_ = true; };
    t.OnWriteLinCompleted = [this, progress](TComponent*) {
        done_ = true;
        progress();
    };
    t.OnReadLinCompleted = [this, progress](TComponent*, const TLinTable& table) {
        table_ = table;
        done_ = true;
        progress();
    };
    t.OnReadLin = [progress](TComponent*, int) { progress(); };
    t.OnWriteLin = [progress](TComponent*, int) { progress(); };
    t.OnReadADCValues = [this, progress](TComponent*, float fval1, float fval2) {
        adc_ = std::pair(fval1, fval2);
        progress();
    };
    t.OnFrameRejected = [this, progress](TComponent*, TRejectReason reason, int code) {
        lastRejection_ = QString::fromStdString(RejectText(reason, code, englishMasterText));
        progress();
    };
    t.OnCommandAnswered = [this, progress](TComponent*, int value) {
        commandEcho_ = value;
        progress();
    };
    const auto trace = [this](TComponent*, const std::string& text) {
        if (options_.trace) std::fprintf(stderr, "%s\n", text.c_str());
        if (traceSink_) traceSink_(text);
    };
    t.OnFrame = [this](TComponent*, const TFrameRecord& frame) {
        if (capture_) capture_->add(frame);
    };
    t.TxDebugStream = trace;
    t.RxDebugStream = [this, trace, progress](TComponent* sender, const std::string& text) {
        trace(sender, text);
        if (options_.outcome) ++options_.outcome->replies;
        progress();
    };
}

QStringList Session::describeDevices() {
    QStringList lines;
    const int count = torvik_->ScanDevices();
    for (int n = 1; n <= count; ++n) {
        const bool opened = torvik_->OpenDevice(n);
        lines << QStringLiteral("%1: %2").arg(n).arg(opened ? torvik_->DeviceText
                                                     : torvik_->LockHolder()
                                                         ? "(" + inUse() + ")"
                                                         : QStringLiteral("(does not open)"));
    }
    torvik_->CloseDevice();
    return lines;
}

QList<DeviceInfo> Session::devices() {
    QList<DeviceInfo> list;
    const int count = torvik_->ScanDevices();
    for (int n = 1; n <= count; ++n) {
        // A device that does not open for its strings keeps them empty; it is still listed.
        const DeviceIdentity id = torvik_->transport().identity(n);
        DeviceInfo info;
        info.index = n;
        info.path = QString::fromStdString(id.path);
        info.serial = QString::fromStdString(id.serial);
        info.manufacturer = QString::fromStdString(id.manufacturer);
        info.product = QString::fromStdString(id.product);
        list << info;
    }
    return list;
}

// The --device index, or the index of the --serial indicator.
int Session::selectedIndex() {
    if (options_.serial.isEmpty()) return options_.device;
    for (const DeviceInfo& info : devices())
        if (info.serial == options_.serial) return info.index;
    throw CliError{ExitNoDevice,
                   QStringLiteral("no indicator with serial number \"%1\" attached").arg(options_.serial)};
}

void Session::open() {
    // Stands for a fault of qv7ctl itself, so that its exit code can be tried.
    if (options_.simulate && options_.simulateFault.section('@', 0, 0) == "internal")
        throw std::logic_error("simulated internal fault");
    const int count = torvik_->ScanDevices();
    if (count == 0) throw CliError{ExitNoDevice, QStringLiteral("no indicator attached")};
    const int device = selectedIndex();
    if (device > count)
        throw CliError{ExitNoDevice,
                       QStringLiteral("there is no indicator %1 (%2 attached)").arg(device).arg(count)};
    if (!torvik_->OpenDevice(device)) {
        if (torvik_->LockHolder() != 0) throw CliError{ExitNoDevice, inUse()};
        throw CliError{ExitNoDevice,
                       QStringLiteral("indicator %1 does not open").arg(device) + PermissionHint};
    }
    opened_ = true;
    if (connected_) return;
    QEventLoop loop;
    QTimer::singleShot(options_.timeoutMs(), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    progress_ = [&] {
        if (connected_) loop.quit();
    };
    const EndSignalWake wake(&loop, [&loop] { loop.quit(); });
    if (endSignal() == 0) loop.exec();
    progress_ = nullptr;
    if (endSignal() != 0) throw interrupted(QString());
    if (!connected_)
        throw CliError{ExitNoDevice, QStringLiteral("indicator %1 did not connect within %2 s")
                                             .arg(device)
                                             .arg(options_.timeoutSeconds) +
                                         PermissionHint};
}

QString Session::inUse() const {
    const qint64 holder = torvik_->LockHolder();
    return holder > 0 ? QStringLiteral("the indicator is in use by another program (pid %1)").arg(holder)
                      : QStringLiteral("the indicator is in use by another program");
}

// The component paces the transfer itself; this waits for its completion event, and gives up when
// the transfer stays on one step for the time-out or the indicator goes away.
void Session::run(const std::function<void()>& start, Transfer transfer) {
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer); // a coarse timer may end 5 % early
    deadline.setInterval(options_.timeoutMs());
    int watchedStep = std::numeric_limits<int>::min();
    int requestsBefore = 0; // requests sent before the watched step began
    std::optional<CliError> failure;
    bool stopping = false;

    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        // Frames came, none of them a valid answer: say why the last one was not.
        if (!lastRejection_.isEmpty())
            failure = CliError{ExitTimeout, QStringLiteral("no valid answer to %1 after %2 tries; last: %3")
                                                .arg(modbusRequestOf(watchedStep))
                                                .arg(torvik_->Master().FramesSent.load() - requestsBefore)
                                                .arg(lastRejection_)};
        else
            failure = CliError{ExitTimeout, QStringLiteral("the indicator did not answer %1 within %2 s")
                                                .arg(requestOf(watchedStep))
                                                .arg(options_.timeoutSeconds)};
        loop.quit();
    });
    // An end signal: nothing more is sent, the exchange on the wire ends (answered, or given up after
    // the retry interval), and the loop with it.
    const EndSignalWake wake(&loop, [&] {
        if (stopping) return;
        stopping = true;
        deadline.stop();
        stoppedAt_.reset();
        torvik_->StopAtFrameBoundary([this](std::int32_t step, bool sentUnanswered) {
            stoppedAt_ = std::pair(step, sentUnanswered);
            if (progress_) progress_();
        });
    });
    if (endSignal() != 0) throw interrupted(QString());
    progress_ = [&] {
        // Stopping, the loop ends once the line is quiet (or the indicator is gone).
        if (stopping) return stoppedAt_ || !connected_ ? loop.quit() : void();
        if (done_) return loop.quit();
        if (!connected_) {
            failure = CliError{ExitNoDevice,
                               QStringLiteral("the indicator went away during ") + requestOf(watchedStep)};
            return loop.quit();
        }
        const int step = torvik_->Step.load();
        if (step != watchedStep) {
            watchedStep = step;
            requestsBefore = torvik_->Master().FramesSent.load();
            lastRejection_.clear();
            deadline.start();
        }
    };

    QElapsedTimer clock;
    clock.start();
    done_ = false;
    start();
    progress_();
    if (!done_ && !failure) loop.exec();
    progress_ = nullptr;
    stats_.elapsedNs += clock.nsecsElapsed();
    if (stopping) {
        const auto [step, sentUnanswered] = stoppedAt_.value_or(std::pair(torvik_->Step.load(), true));
        const std::string did = stopText(transfer, step, sentUnanswered, written_);
        throw interrupted(QString::fromStdString(
            transfer == Transfer::WriteAll || transfer == Transfer::WriteTable ? ": " + did : " " + did));
    }
    if (failure) throw *failure;
    if (transfer == Transfer::WriteAll || transfer == Transfer::WriteTable) {
        const auto all = stopOf(transfer, StepWritten, false).answered;
        written_.insert(written_.end(), all.begin(), all.end());
    }
}

CliError Session::interrupted(const QString& during) const {
    const int number = endSignal();
    QString text = QStringLiteral("interrupted by ") + QString::fromStdString(signalName(number));
    if (!during.isEmpty())
        text += during;
    else if (!written_.empty())
        text += QStringLiteral("; written and acknowledged before it: ") +
                QString::fromStdString(registersText(written_));
    return CliError{128 + number, text};
}

void Session::readAll() {
    run([this] { torvik_->ReadAll(); }, Transfer::ReadAll);
    if (options_.outcome) {
        options_.outcome->model = modelName();
        options_.outcome->typeWord = params().DeviceType;
    }
}

void Session::writeAll(const TParamImage& image) {
    torvik_->editImage([&](TParamImage& params, TLinTable&) { params = image; });
    run([this] { torvik_->WriteAll(); }, Transfer::WriteAll);
}

TLinTable Session::readLin() {
    run([this] { torvik_->ReadLin(); }, Transfer::ReadTable);
    return table_;
}

void Session::writeLin(const TLinTable& table, std::uint8_t lastPoint) {
    torvik_->editImage([&](TParamImage& params, TLinTable& lin) {
        lin = table;
        params.LinLastPoint = lastPoint;
    });
    run([this] { torvik_->WriteLin(); }, Transfer::WriteTable);
}

void Session::waitFor(const std::function<bool()>& finished, const QString& request) {
    QEventLoop loop;
    QTimer::singleShot(options_.timeoutMs(), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    progress_ = [&] {
        if (finished() || !connected_) loop.quit();
    };
    // A single request, not a transfer: an end signal gives up its answer.
    const EndSignalWake wake(&loop, [&loop] { loop.quit(); });
    if (!finished() && endSignal() == 0) loop.exec();
    progress_ = nullptr;
    if (endSignal() != 0) throw interrupted(QStringLiteral(" during ") + request);
    if (finished()) return;
    if (!connected_)
        throw CliError{ExitNoDevice, QStringLiteral("the indicator went away during ") + request};
    throw CliError{ExitTimeout, QStringLiteral("the indicator did not answer %1 within %2 s")
                                    .arg(request)
                                    .arg(options_.timeoutSeconds)};
}

void Session::adjust(int code) {
    commandEcho_.reset();
    lastRejection_.clear();
    if (code == 1) torvik_->AdjustZero1();
    if (code == 2) torvik_->AdjustFullScale1();
    if (code == 3) torvik_->AdjustZero2();
    if (code == 4) torvik_->AdjustFullScale2();
    const QString request =
        QStringLiteral("the write of %1 into holding register %2").arg(code).arg(CommandRegister);
    waitFor([this] { return commandEcho_.has_value() || !lastRejection_.isEmpty(); }, request);
    // A register write is answered by its own echo; anything else (an exception) did not take.
    if (!commandEcho_)
        throw CliError{
            ExitDifference,
            QStringLiteral("the indicator answered %1 with %2, not its echo").arg(request, lastRejection_)};
    if (*commandEcho_ != code)
        throw CliError{ExitDifference,
                       QStringLiteral("the indicator answered %1 with the value %2, not its echo")
                           .arg(request)
                           .arg(*commandEcho_)};
}

std::pair<float, float> Session::readAdc() {
    adc_.reset();
    torvik_->ReadADCValues();
    // A dropped reply is asked for again after the retry interval, as the transfers do; only an
    // indicator silent for the whole time-out ends the reading.
    QTimer again;
    again.setInterval(options_.retryMs);
    QObject::connect(&again, &QTimer::timeout, [this] { torvik_->ReadADCValues(); });
    again.start();
    waitFor([this] { return adc_.has_value(); }, QStringLiteral("the read of input registers 5–8"));
    return *adc_;
}

TransferStats Session::stats() const {
    TransferStats s = stats_;
    const TMiniModbusMaster& m = torvik_->Master();
    s.requests = m.FramesSent.load();
    s.replies = m.FramesReceived.load();
    s.bytesSent = m.BytesSent.load();
    s.bytesReceived = m.BytesReceived.load();
    s.repeats = torvik_->repeatsSent();
    s.probes = torvik_->probesSent();
    for (int r = 0; r < RejectReasonCount; ++r)
        s.rejected[static_cast<std::size_t>(r)] = torvik_->rejections(static_cast<TRejectReason>(r));
    return s;
}

TParamImage Session::params() const {
    return torvik_->paramsSnapshot();
}

} // namespace qv7::cli
