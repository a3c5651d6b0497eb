// qv7cfg: one instance at a time, five windows, the main one shown, the message loop until it closes.
#include "app/Main.h"
#include "app/Application.h"
#include "app/EndSignals.h"
#include "app/Forms.h"
#include "app/FrameMonitor.h"
#include "app/Language.h"
#include "app/LineStatus.h"
#include "app/Options.h"
#include "app/SingleInstance.h"
#include "base/Files.h"
#include "devices/Devices.h"
#include "indicator/FileAccess.h"
#include "modbus/FrameCapture.h"
#include "widgets/RunTimeErrors.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

qv7::DeviceChoice deviceChoice(const qv7::Options& options) {
    qv7::DeviceChoice choice;
    choice.simulate = options.simulate;
    choice.typeWord = options.typeWord;
    choice.count = options.simulateCount;
    choice.stateFile = qv7::fileNameBytes(options.simulateState);
    choice.fault = options.simulateFault.toStdString();
    return choice;
}

void traceTo(TMainForm& form) {
    form.setTrace([](const std::string& line) {
        std::fprintf(stderr, "%s\n", line.c_str());
        std::fflush(stderr);
    });
}

// As coreutils' close_stdout, at every exit: what qv7cfg printed (--help, --version, a trace) has
// arrived, or the failure is said and the exit is non-zero.
void closeStandardStreams() {
    if (const int error = qv7::closeOutputStream(stdout); error != 0) {
        std::fprintf(stderr, "qv7cfg: standard output: write error: %s\n", std::strerror(error));
        qv7::closeOutputStream(stderr);
        std::_Exit(1);
    }
    if (qv7::closeOutputStream(stderr) != 0) std::_Exit(1);
}

} // namespace

int main(int argc, char** argv) {
    std::atexit(closeStandardStreams);
    if (const QString answer = qv7::earlyAnswer(argc, argv); !answer.isEmpty()) {
        std::fputs(qPrintable(answer), stdout);
        return 0;
    }
    TApplication app(argc, argv);
    // A file name is taken exactly, where QCoreApplication::arguments() would change its bytes.
    const qv7::Options options = qv7::parseOptions(qv7::commandLineArguments(argc, argv));
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "qv7cfg: %s\n%s", qPrintable(options.error), qPrintable(qv7::usageText()));
        return 2;
    }
    if (options.help) {
        std::fputs(qPrintable(qv7::usageText()), stdout);
        return 0;
    }
    // A file to open is named absolutely, so that a copy already running elsewhere finds it too.
    QString file;
    if (!options.file.isEmpty()) {
        std::error_code error;
        // Through char8_t: the name's bytes unchanged on POSIX, UTF-8 made UTF-16 on Windows.
        const std::string bytes = qv7::fileNameBytes(options.file);
        const std::filesystem::path path = std::filesystem::absolute(
            std::filesystem::path(std::u8string(bytes.begin(), bytes.end())), error);
        if (error || !std::filesystem::is_regular_file(path, error)) {
            std::fprintf(stderr, "qv7cfg: %s: %s\n", qPrintable(options.file),
                         error ? error.message().c_str() : "no such file");
            return 2;
        }
        const std::u8string name = path.lexically_normal().u8string();
        file = qv7::fileNameFromBytes(
            QByteArrayView(reinterpret_cast<const char*>(name.data()), static_cast<qsizetype>(name.size())));
    }

    // Another copy already runs: its window comes to the front, and this copy ends. A copy that does
    // not answer within 2 s (it hangs) is said, and this one fails.
    qv7::SingleInstance instance;
    const bool single = instance.tryAcquire();
    if (!single && instance.failure().isEmpty()) {
        const bool raised = qv7::InstanceChannel::askToRaise(instance.channelPath(), 2000, file);
        std::fprintf(stderr, "qv7cfg: %s%s\n",
                     raised ? "already running; its window was brought to the front"
                            : "already running, but it did not answer within 2 s",
                     raised && !file.isEmpty() ? " to open the file" : "");
        return raised ? 0 : 1;
    }
    // A lock that cannot be had (no folder of this user's own) never keeps the window from opening.
    if (!single)
        std::fprintf(stderr, "qv7cfg: running without the single-instance lock: %s\n",
                     qPrintable(instance.failure()));
    qv7::InstanceChannel channel(instance.channelPath());
    if (single && !channel.listen())
        std::fprintf(stderr, "qv7cfg: a second copy will not be able to raise this window\n");

    std::unique_ptr<qv7::Devices> devices;
    try {
        devices = std::make_unique<qv7::Devices>(deviceChoice(options));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "qv7cfg: cannot start the simulated indicator: %s\n", error.what());
        return 1;
    }
    if (devices->stateHolder() != 0) {
        std::fprintf(
            stderr, "qv7cfg: cannot start the simulated indicator: it is in use by another program%s\n",
            devices->stateHolder() > 0 ? qPrintable(QStringLiteral(" (pid %1)").arg(devices->stateHolder()))
                                       : "");
        return 1;
    }

    // Before the first window: each sets its texts in the language installed when it is built.
    qv7::setLanguage(options.language.value_or(qv7::desktopLanguage()));
    Forms forms(devices->transport());
    if (options.trace) traceTo(*MainForm);
    MainForm->setServiceMode(options.service);
    std::optional<qv7::FrameCapture> capture;
    if (!options.capture.isEmpty()) capture.emplace(qv7::masterText);
    qv7::FrameMonitor monitor;
    monitor.attach(MainForm->Torvik(), *MainForm, [&capture](const TFrameRecord& frame) {
        if (capture) capture->add(frame);
    });
    // Only the main window ends the program; the other windows are hidden between their uses.
    app.setQuitOnLastWindowClosed(false);
    QObject::connect(MainForm, &TMainForm::closed, &app, &QApplication::quit);
    QObject::connect(&channel, &qv7::InstanceChannel::raiseRequested, MainForm, [] {
        MainForm->showNormal();
        MainForm->raise();
        MainForm->activateWindow();
    });
    const auto open = [](const QString& name) { qv7::runGuarded([&name] { MainForm->OpenFile(name); }); };
    QObject::connect(&channel, &qv7::InstanceChannel::openRequested, MainForm, open);
    // A session's end asks nothing: the window says what it leaves undone and the program ends with
    // 128 + the signal's number, as a program the signal ended.
    qv7::EndSignals endSignals([](int number) {
        qv7::endWindow(*MainForm, number, [number](const QStringList& report) {
            for (const QString& line : report)
                std::fprintf(stderr, "%s\n", line.toUtf8().constData());
            QCoreApplication::exit(128 + number);
        });
    });
    MainForm->show();
    // After the first showing's scan: a .QV then waits for the indicator's first read.
    if (!file.isEmpty())
        QMetaObject::invokeMethod(
            MainForm, [&] { open(file); }, Qt::QueuedConnection);
    const int result = app.exec();
    // The reader stops, then the frames' events still queued reach the monitor and the capture.
    MainForm->Torvik().CloseDevice();
    QCoreApplication::sendPostedEvents(&MainForm->Torvik(), QEvent::MetaCall);
    monitor.close();
    // The capture and the simulated indicator's state are kept each whatever became of the other.
    int status = result;
    if (capture) {
        if (const int error = capture->save(qv7::fileNameBytes(options.capture))) {
            std::fprintf(stderr, "qv7cfg: the capture was not saved to %s: %s\n", qPrintable(options.capture),
                         std::strerror(error));
            status = status == 0 ? 1 : status;
        }
    }
    try {
        devices->saveState();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "qv7cfg: %s\n", error.what());
        status = status == 0 ? 1 : status;
    }
    return status;
}
