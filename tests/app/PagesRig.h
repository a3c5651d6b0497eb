// The five windows on one simulated indicator, for the page tests: the fill from a chosen register
// bank, the write step driven to its end, and the registers the indicator then holds. Step ticks
// are driven by the test; the step timer never runs on its own.
#pragma once

#include "app/Forms.h"
#include "app/Main.h"
#include "sim/SimulatedBridge.h"
#include "sim/SimulatedIndicator.h"

#include <QPushButton>
#include <QTest>

#include <functional>
#include <map>
#include <memory>

namespace pagestest {

constexpr int DayMs = 24 * 3600 * 1000;

struct Rig {
    std::unique_ptr<qv7::SimulatedIndicator> indicator;
    qv7::SimulatedBridge bridge;
    std::unique_ptr<Forms> forms;

    // The simulator's plausible bank for this type word.
    explicit Rig(std::uint16_t typeWord)
        : Rig(typeWord, qv7::SimulatedIndicator::defaultRegisters(typeWord)) {}
    // Exactly these holding registers (the others 0).
    Rig(std::uint16_t typeWord, const std::map<int, std::uint16_t>& bank)
        : indicator(std::make_unique<qv7::SimulatedIndicator>(typeWord, bank)) {
        bridge.addBridge("1", indicator.get());
        forms = std::make_unique<Forms>(bridge);
        MainForm->Torvik().setStepInterval(DayMs);
    }
    ~Rig() {
        forms.reset();
        indicator.reset();
    }
    TMainForm& form() { return *MainForm; }
    TTorvik& torvik() { return MainForm->Torvik(); }

    // The component paces itself: waits until `done` holds.
    static bool tickUntil(const std::function<bool()>& done) { return QTest::qWaitFor(done, 5000); }
    static bool idle() {
        return MainForm->StatusText().isEmpty() && !MainForm->isBusy() &&
               MainForm->findChild<QWidget*>(QStringLiteral("PageControl"))->isEnabled();
    }

    // Shows the window, lets it connect and read everything: the pages are filled.
    bool ready() {
        MainForm->show();
        return tickUntil(idle);
    }

    // Clicks "Ecriture complète" and drives the write-all to its end. False when it did not start
    // (a range error) or did not end.
    bool writeAll() {
        indicator->clearRequests();
        QTest::mouseClick(MainForm->findChild<QPushButton*>(QStringLiteral("BtnWriteAll")), Qt::LeftButton);
        if (MainForm->StatusText() != QStringLiteral("Ecriture des paramètres")) return false;
        return tickUntil([this] {
            return MainForm->StatusText() == QStringLiteral("Paramètres écrits") && torvik().Step.load() == 0;
        });
    }

    // Holding registers 0-11 and 16-27 as the indicator holds them now.
    std::map<int, std::uint16_t> configRegisters() const {
        std::map<int, std::uint16_t> result;
        for (int r = 0; r < 28; ++r)
            if (r < 12 || r >= 16) result[r] = indicator->holding(r);
        return result;
    }
};

} // namespace pagestest
