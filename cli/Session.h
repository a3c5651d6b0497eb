// qv7ctl's connection to one indicator (USB or the simulated one): opens it (taking the indicator's
// lock), runs the component's transfers, which pace themselves, and gives up with a clear error past
// the time-out. Everything here runs on qv7ctl's main thread, inside its event loop.
#pragma once

#include "cli/Options.h"
#include "indicator/Torvik.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qv7 {
class Devices;
class FrameCapture;
} // namespace qv7

namespace qv7::cli {

// A failure that ends qv7ctl: the message (without the "qv7ctl: " prefix) and the exit code.
struct CliError {
    int exitCode;
    QString message;
};

// Line figures of the transfers run so far (the component's counts).
struct TransferStats {
    qint64 elapsedNs = 0; // from each transfer's start to its completion event, summed
    int requests = 0;     // frames sent, repeats and probes included
    int replies = 0;      // frames received
    int bytesSent = 0;
    int bytesReceived = 0;
    int repeats = 0, probes = 0;
    std::array<int, RejectReasonCount> rejected{}; // received frames dropped, by TRejectReason
};

// One attached indicator as USB enumerates it.
struct DeviceInfo {
    int index = 0; // from 1, as --device counts
    QString serial, path, manufacturer, product;
};

// SIGTERM, SIGINT and SIGHUP end qv7ctl at its next frame boundary: watched from the first session
// made on the main thread on (a command that only reads and writes files keeps their default
// actions). The first that came, 0 for none; any thread.
int endSignal();
// Calls `wake` on `context`'s thread when an end signal comes, for as long as it lives. Made and
// destroyed on `context`'s thread, `context` outliving it.
class EndSignalWake {
public:
    EndSignalWake(QObject* context, std::function<void()> wake);
    ~EndSignalWake();
    EndSignalWake(const EndSignalWake&) = delete;
    EndSignalWake& operator=(const EndSignalWake&) = delete;

private:
    std::uint64_t id_;
};

// True once a session failed to keep its simulator state file (it says so on stderr then).
bool simulatorStateUnsaved();
// True once a session failed to save its --capture file (it says so on stderr then).
bool captureUnsaved();

class Session {
public:
    // Builds the HID access (hidapi, or the simulated bridge and indicator) and the component.
    // Throws CliError(ExitFileError) when the simulator's state file cannot be read.
    explicit Session(const Options& options);
    // Saves the simulator's state file when one was given (atomically), and the --capture file of a
    // session that opened an indicator (whole or not at all).
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // One "N: description" line per attached indicator; empty when none.
    QStringList describeDevices();
    // The attached indicators, in --device order (their strings read without taking them).
    QList<DeviceInfo> devices();
    // Opens the indicator of Options::serial, else Options::device, and waits for the link to report
    // it connected. Throws CliError(ExitNoDevice) when it is absent, does not open or another
    // program drives it.
    void open();

    // The transfers; each throws CliError(ExitTimeout) naming the request that went unanswered.
    void readAll();                          // fills torvik().Params and the model name
    void writeAll(const TParamImage& image); // sends image (the record the component then holds)
    TLinTable readLin();
    // Sends all 32 entries of `table` with `lastPoint` as the index of the last point in use; the
    // linearisation's on/off bit stays as the last readAll found it.
    void writeLin(const TLinTable& table, std::uint8_t lastPoint);
    // Writes `code` (1-4) into the command register; throws CliError(ExitDifference) unless the
    // indicator echoes the request.
    void adjust(int code);
    // The two converter values (input registers 5-8).
    std::pair<float, float> readAdc();

    TParamImage params() const;
    QString modelName() const { return torvik_->ModelName(); }
    TransferStats stats() const;
    void saveSimulatorState() const;
    // Also hands every traced frame ("TX : ..." / "RX : ...") to `sink`; nullptr stops it.
    void setTraceSink(std::function<void(const std::string&)> sink) { traceSink_ = std::move(sink); }

private:
    void openDevices();
    void saveCapture() const;
    int selectedIndex();
    // Runs the event loop until `finished` holds; throws ExitTimeout naming `request` past the time-out.
    // An end signal abandons the request and throws.
    void waitFor(const std::function<bool()>& finished, const QString& request);
    void wireEvents();
    QString inUse() const;
    // Starts `transfer` with `start` and runs the event loop until its completion event. An end
    // signal stops it at the next frame boundary and throws, saying what it did.
    void run(const std::function<void()>& start, Transfer transfer);
    // The error an end signal ends the command with: 128 + its number, and what was done and not.
    CliError interrupted(const QString& during) const;

    Options options_;
    std::unique_ptr<qv7::Devices> devices_; // what the component talks to; outlives it
    std::unique_ptr<TTorvik> torvik_;
    TransferStats stats_;
    std::unique_ptr<qv7::FrameCapture> capture_; // --capture: every frame, saved at the end
    bool opened_ = false;                        // an indicator was opened: the capture is saved
    bool connected_ = false;

    // The running transfer (all on the main thread): called after every booked reply and event.
    std::function<void()> progress_;
    bool done_ = false;
    TLinTable table_{};
    std::function<void(const std::string&)> traceSink_;
    QString lastRejection_; // why the last frame of the running request was dropped; empty: none was
    std::optional<int> commandEcho_;
    std::optional<std::pair<float, float>> adc_;
    // The writes acknowledged so far, and where a stopped transfer stopped (its step, and whether
    // that step's request went out unanswered).
    std::vector<StepRequest> written_;
    std::optional<std::pair<std::int32_t, bool>> stoppedAt_;
};

} // namespace qv7::cli
