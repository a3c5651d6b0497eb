#include "cli/Session.h"

#include "link/HidapiAccess.h"
#include "sim/SimulatedBridge.h"
#include "sim/SimulatedIndicator.h"

#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaObject>
#include <QSaveFile>
#include <QTimer>

#include <cstdio>
#include <limits>
#include <optional>

namespace qv7::cli {

namespace {

constexpr int SimulatedRegisterCount = 160; // holding 0-159: configuration, alarms and the table
constexpr int IdleInterval = 24 * 3600 * 1000;

const char* const PermissionHint =
    " (on Linux the logged-in user needs access to the indicator's hidraw node: see \"qv7ctl udev-rule\")";

QString registerRange(int first, int count) {
    return count == 1 ? QStringLiteral("holding register %1").arg(first)
                      : QStringLiteral("holding registers %1–%2").arg(first).arg(first + count - 1);
}

// What the request of a step asks, for the time-out message.
QString requestOf(int step) {
    if (step == 1) return QStringLiteral("the read of the type word (input register 0)");
    if (step == 2) return QStringLiteral("the read of ") + registerRange(0, 12);
    if (step == 3) return QStringLiteral("the read of ") + registerRange(16, 12);
    if (step >= 10 && step <= 17)
        return QStringLiteral("the read of ") + registerRange(32 + 16 * (step - 10), 16);
    if (step == 101) return QStringLiteral("the write of ") + registerRange(0, 12);
    if (step == 102) return QStringLiteral("the write of ") + registerRange(16, 12);
    if (step >= 110 && step <= 117)
        return QStringLiteral("the write of ") + registerRange(32 + 16 * (step - 110), 16);
    if (step == 118) return QStringLiteral("the write of ") + registerRange(2, 1);
    return QStringLiteral("the request of step %1").arg(step);
}

// "TX : FF 04 ... " holds three characters per byte after its five-character prefix.
int tracedBytes(const std::string& text) {
    return text.size() > 5 ? static_cast<int>((text.size() - 5 + 1) / 3) : 0;
}

} // namespace

Session::Session(const Options& options) : options_(options) {
    if (options_.simulate)
        buildSimulator();
    else
        access_ = std::make_unique<qv7::HidapiAccess>();
    torvik_ = std::make_unique<TTorvik>(options_.simulate ? static_cast<HidAccess&>(*bridge_) : *access_);
    // qv7ctl ticks as soon as each reply has been booked; the component's own pacing must not interfere.
    torvik_->setStepInterval(IdleInterval);
    wireEvents();
}

Session::~Session() {
    try {
        saveSimulatorState();
    } catch (const CliError& e) {
        std::fprintf(stderr, "qv7ctl: %s\n", qPrintable(e.message));
    }
    // The component goes first (its destructor ends the reader thread), then the bridge, then the peer.
    torvik_.reset();
    bridge_.reset();
}

void Session::buildSimulator() {
    std::uint16_t typeWord = options_.simulateTypeWord;
    std::map<int, std::uint16_t> registers = SimulatedIndicator::defaultRegisters(typeWord);
    if (!options_.simulateState.isEmpty() && QFile::exists(options_.simulateState)) {
        QFile file(options_.simulateState);
        if (!file.open(QIODevice::ReadOnly))
            throw CliError{ExitFileError, QStringLiteral("cannot read %1").arg(options_.simulateState)};
        const QJsonObject state = QJsonDocument::fromJson(file.readAll()).object();
        const QJsonArray holding = state.value("holding").toArray();
        if (holding.size() != SimulatedRegisterCount)
            throw CliError{ExitFileError,
                           QStringLiteral("%1 is no simulator state").arg(options_.simulateState)};
        typeWord = static_cast<std::uint16_t>(state.value("typeWord").toInt());
        for (int r = 0; r < SimulatedRegisterCount; ++r)
            registers[r] = static_cast<std::uint16_t>(holding[r].toInt());
    }
    indicator_ = std::make_unique<SimulatedIndicator>(typeWord, registers);
    bridge_ = std::make_unique<SimulatedBridge>(std::chrono::milliseconds(1));
    bridge_->setSerialTiming(true);
    bridge_->addBridge("0001", indicator_.get());
    if (options_.simulateFault == "silent") indicator_->setSilent(true);
    if (options_.simulateFault.startsWith("drop:"))
        indicator_->injectFault(SimulatedIndicator::Fault::DropReply, options_.simulateFault.mid(5).toInt());
}

void Session::saveSimulatorState() const {
    if (!indicator_ || options_.simulateState.isEmpty()) return;
    QJsonArray holding;
    for (int r = 0; r < SimulatedRegisterCount; ++r)
        holding.append(indicator_->holding(r));
    const QJsonObject state{{"typeWord", indicator_->input(0)}, {"holding", holding}};
    QSaveFile file(options_.simulateState);
    const QByteArray data = QJsonDocument(state).toJson();
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        throw CliError{ExitFileError, QStringLiteral("cannot write %1").arg(options_.simulateState)};
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
    t.OnReadLinCompleted = [this, progress](TComponent*, const TLinTable& table) {
        table_ = table;
        done_ = true;
        progress();
    };
    t.TxDebugStream = [this](TComponent*, const std::string& text) {
        ++stats_.requests;
        stats_.bytesSent += tracedBytes(text);
        if (options_.trace) std::fprintf(stderr, "%s\n", text.c_str());
    };
    t.RxDebugStream = [this](TComponent*, const std::string& text) {
        ++stats_.replies;
        stats_.bytesReceived += tracedBytes(text);
        if (options_.trace) std::fprintf(stderr, "%s\n", text.c_str());
    };
    // The component books holding and input registers without an event of its own; a queued call
    // after each booking tells the driver that Step may have moved. Set before the reader thread runs.
    TMiniModbusMaster& master = t.Master();
    master.OnDataArrival = [this, booked = master.OnDataArrival](TComponent* sender, TDataType type,
                                                                 std::int32_t address, std::int32_t data) {
        booked(sender, type, address, data);
        QMetaObject::invokeMethod(
            torvik_.get(),
            [this] {
                if (progress_) progress_();
            },
            Qt::QueuedConnection);
    };
}

QStringList Session::describeDevices() {
    QStringList lines;
    const int count = torvik_->ScanDevices();
    for (int n = 1; n <= count; ++n) {
        const bool opened = torvik_->OpenDevice(n);
        lines << QStringLiteral("%1: %2").arg(n).arg(opened ? torvik_->DeviceText
                                                            : QStringLiteral("(does not open)"));
    }
    torvik_->CloseDevice();
    return lines;
}

void Session::open() {
    const int count = torvik_->ScanDevices();
    if (count == 0) throw CliError{ExitNoDevice, QStringLiteral("no indicator attached")};
    if (options_.device > count)
        throw CliError{
            ExitNoDevice,
            QStringLiteral("there is no indicator %1 (%2 attached)").arg(options_.device).arg(count)};
    if (!torvik_->OpenDevice(options_.device))
        throw CliError{ExitNoDevice,
                       QStringLiteral("indicator %1 does not open").arg(options_.device) + PermissionHint};
    if (connected_) return;
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(options_.timeoutSeconds * 1000), &loop, &QEventLoop::quit);
    progress_ = [&] {
        if (connected_) loop.quit();
    };
    loop.exec();
    progress_ = nullptr;
    if (!connected_)
        throw CliError{ExitNoDevice, QStringLiteral("indicator %1 did not connect within %2 s")
                                             .arg(options_.device)
                                             .arg(options_.timeoutSeconds) +
                                         PermissionHint};
}

void Session::run(const std::function<void()>& start) {
    QEventLoop loop;
    QTimer retry, deadline;
    retry.setInterval(options_.retryMs);
    deadline.setSingleShot(true);
    deadline.setInterval(static_cast<int>(options_.timeoutSeconds * 1000));
    int sentStep = std::numeric_limits<int>::min();
    std::optional<CliError> failure;

    auto send = [&] {
        sentStep = torvik_->Step.load();
        deadline.start();
        retry.start();
        torvik_->StepTimer();
    };
    progress_ = [&] {
        if (done_) return loop.quit();
        if (!connected_) {
            failure = CliError{ExitNoDevice,
                               QStringLiteral("the indicator went away during ") + requestOf(sentStep)};
            return loop.quit();
        }
        const int step = torvik_->Step.load();
        if (step != sentStep && step != -1 && step != 0) send();
    };
    // An unanswered request goes again; the component repeats the request of its current Step.
    QObject::connect(&retry, &QTimer::timeout, &loop, [&] { torvik_->StepTimer(); });
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        failure = CliError{ExitTimeout, QStringLiteral("the indicator did not answer %1 within %2 s")
                                            .arg(requestOf(sentStep))
                                            .arg(options_.timeoutSeconds)};
        loop.quit();
    });

    QElapsedTimer clock;
    clock.start();
    done_ = false;
    start();
    send();
    if (!done_) loop.exec();
    progress_ = nullptr;
    stats_.elapsedNs += clock.nsecsElapsed();
    if (failure) throw *failure;
}

void Session::readAll() {
    run([this] { torvik_->ReadAll(); });
}

void Session::writeAll(const TParamImage& image) {
    {
        std::lock_guard lock(torvik_->imageMutex());
        torvik_->Params = image;
    }
    run([this] { torvik_->WriteAll(); });
}

TLinTable Session::readLin() {
    run([this] { torvik_->ReadLin(); });
    return table_;
}

TParamImage Session::params() const {
    std::lock_guard lock(torvik_->imageMutex());
    return torvik_->Params;
}

} // namespace qv7::cli
