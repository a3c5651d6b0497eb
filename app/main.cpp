// qv7cfg: one instance at a time, five windows, the main one shown, the message loop until it closes.
#include "app/Main.h"
#include "app/Application.h"
#include "app/Forms.h"
#include "app/Language.h"
#include "app/Options.h"
#include "app/SingleInstance.h"
#include "indicator/FileAccess.h"
#include "link/HidapiAccess.h"
#include "sim/Faults.h"
#include "sim/SimulatedBridge.h"
#include "sim/SimulatedIndicator.h"
#include "sim/SimulatorState.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

// The HID access the program talks to: real hardware, or simulated bridges with their indicators.
struct Devices {
    std::vector<std::unique_ptr<qv7::SimulatedIndicator>> indicators; // outlive the bridge using them
    std::unique_ptr<qv7::SimulatedBridge> bridge;
    std::unique_ptr<qv7::HidapiAccess> hidapi;

    std::unique_ptr<qv7::SimulatorStateFile> stateFile; // held from before it is read to the end
    long stateHolder = 0; // the program holding the state file when this one could not

    // Throws qv7::SimulatorStateError for a state file that cannot be read, std::runtime_error
    // when a simulated indicator cannot be built. A state file another program holds leaves
    // `stateFile` empty and `stateHolder` set.
    explicit Devices(const qv7::Options& options) {
        if (!options.simulate) {
            hidapi = std::make_unique<qv7::HidapiAccess>();
            return;
        }
        bridge = std::make_unique<qv7::SimulatedBridge>();
        // The line as a real indicator has it (9600 8N2), so what the window shows takes as long.
        bridge->setSerialTiming(true);
        std::optional<qv7::SimulatorState> state;
        if (!options.simulateState.isEmpty()) {
            // Read only once held: the holder may be about to keep what it did there.
            stateFile = std::make_unique<qv7::SimulatorStateFile>();
            if (!stateFile->lock(qv7::fileNameBytes(options.simulateState))) {
                stateHolder = stateFile->holder() > 0 ? stateFile->holder() : -1;
                stateFile.reset();
                return;
            }
            state = stateFile->load();
        }
        for (int i = 0; i < options.simulateCount; ++i) {
            indicators.push_back(i == 0 && state
                                     ? qv7::simulatedIndicatorFrom(*state)
                                     : std::make_unique<qv7::SimulatedIndicator>(options.typeWord));
            const int index = bridge->addBridge(std::to_string(i + 1), indicators.back().get());
            qv7::applySimulatedFault(options.simulateFault.toStdString(), *bridge, index, *indicators.back());
        }
    }

    // Keeps the first simulated indicator's registers in the state file, when one was given.
    void saveState() const {
        if (!stateFile || indicators.empty()) return;
        stateFile->save(qv7::simulatorStateOf(*indicators[0]));
    }
    qv7::HidAccess& access() { return hidapi ? static_cast<qv7::HidAccess&>(*hidapi) : *bridge; }
};

void traceTo(TMainForm& form) {
    form.setTrace([](const std::string& line) {
        std::fprintf(stderr, "%s\n", line.c_str());
        std::fflush(stderr);
    });
}

} // namespace

int main(int argc, char** argv) {
    if (const QString answer = qv7::earlyAnswer(argc, argv); !answer.isEmpty()) {
        std::fputs(qPrintable(answer), stdout);
        return 0;
    }
    TApplication app(argc, argv);
    // A file name is taken byte for byte, where QCoreApplication::arguments() would change it.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << qv7::fileNameFromBytes(argv[i]);
    const qv7::Options options = qv7::parseOptions(arguments);
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "qv7cfg: %s\n%s", qPrintable(options.error), qPrintable(qv7::usageText()));
        return 2;
    }
    if (options.help) {
        std::fputs(qPrintable(qv7::usageText()), stdout);
        return 0;
    }

    // Another copy already runs: its window comes to the front, and this copy ends.
    qv7::SingleInstance instance;
    const bool single = instance.tryAcquire();
    if (!single && instance.failure().isEmpty()) {
        const bool raised = qv7::InstanceChannel::askToRaise(instance.channelPath());
        std::fprintf(stderr, "qv7cfg: %s\n",
                     raised ? "already running; its window was brought to the front"
                            : "already running (its window did not answer)");
        return 0;
    }
    // A lock that cannot be had (no folder of this user's own) never keeps the window from opening.
    if (!single)
        std::fprintf(stderr, "qv7cfg: running without the single-instance lock: %s\n",
                     qPrintable(instance.failure()));
    qv7::InstanceChannel channel(instance.channelPath());
    if (single && !channel.listen())
        std::fprintf(stderr, "qv7cfg: a second copy will not be able to raise this window\n");

    std::unique_ptr<Devices> devices;
    try {
        devices = std::make_unique<Devices>(options);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "qv7cfg: cannot start the simulated indicator: %s\n", error.what());
        return 1;
    }
    if (devices->stateHolder != 0) {
        std::fprintf(
            stderr, "qv7cfg: cannot start the simulated indicator: it is in use by another program%s\n",
            devices->stateHolder > 0 ? qPrintable(QStringLiteral(" (pid %1)").arg(devices->stateHolder))
                                     : "");
        return 1;
    }

    // Before the first window: each sets its texts in the language installed when it is built.
    qv7::setLanguage(options.language.value_or(qv7::desktopLanguage()));
    Forms forms(devices->access());
    if (options.trace) traceTo(*MainForm);
    MainForm->setServiceMode(options.service);
    // Only the main window ends the program; the other windows are hidden between their uses.
    app.setQuitOnLastWindowClosed(false);
    QObject::connect(MainForm, &TMainForm::closed, &app, &QApplication::quit);
    QObject::connect(&channel, &qv7::InstanceChannel::raiseRequested, MainForm, [] {
        MainForm->showNormal();
        MainForm->raise();
        MainForm->activateWindow();
    });
    MainForm->show();
    const int result = app.exec();
    try {
        devices->saveState();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "qv7cfg: %s\n", error.what());
        return 1;
    }
    return result;
}
