// Every window of the program open at once on simulated indicators, for the language tests and the
// pictures: two indicators (so the scan fills the selection window, answered by OK), the pages
// filled, the service page's tab shown, the about box, the transfer window, the editor with a curve
// and its measurements dialog with a fit. Step ticks are driven; the step timer never runs on its own.
#pragma once

#include "PagesRig.h"

#include "app/About.h"
#include "app/Select.h"
#include "lineditor/Dessin.h"
#include "lineditor/Mesures.h"
#include "widgets/Xfert.h"

#include <QComboBox>
#include <QPushButton>
#include <QTimer>

namespace windowsrig {

struct Windows {
    std::unique_ptr<qv7::SimulatedIndicator> first;
    std::unique_ptr<qv7::SimulatedIndicator> second;
    qv7::SimulatedBridge bridge;
    std::unique_ptr<Forms> forms;
    std::unique_ptr<TMesuresForm> measures;

    Windows(std::uint16_t typeWord, const std::map<int, std::uint16_t>& changes = {}) {
        std::map<int, std::uint16_t> bank = qv7::SimulatedIndicator::defaultRegisters(typeWord);
        for (const auto& [address, value] : changes)
            bank[address] = value;
        first = std::make_unique<qv7::SimulatedIndicator>(typeWord, bank);
        second = std::make_unique<qv7::SimulatedIndicator>(typeWord, bank);
        bridge.addBridge("0001", first.get());
        bridge.addBridge("0002", second.get());
        forms = std::make_unique<Forms>(bridge);
        MainForm->Torvik().setStepInterval(pagestest::DayMs);
        MainForm->setServiceMode(true);
    }
    ~Windows() {
        measures.reset();
        forms.reset();
        second.reset();
        first.reset();
    }

    // The main window connected to the first indicator through the selection window, its pages
    // filled; then every other window shown beside it.
    bool open() {
        QTimer answer;
        answer.setInterval(5);
        QObject::connect(&answer, &QTimer::timeout, [] {
            if (SelectForm->isVisible())
                QTest::mouseClick(SelectForm->findChild<QPushButton*>(QStringLiteral("BtnOK")),
                                  Qt::LeftButton);
        });
        answer.start();
        MainForm->show();
        if (!pagestest::Rig::tickUntil(pagestest::Rig::idle)) return false;
        answer.stop();
        AboutBox->show();
        XfertForm->show();
        DessinForm->show();
        SelectForm->show();
        measures = std::make_unique<TMesuresForm>(DessinForm);
        measures->takeShape(2); // a horizontal tank: the plots and the deviation are drawn
        measures->show();
        QCoreApplication::processEvents();
        return true;
    }

    QList<QWidget*> all() const {
        return {MainForm, AboutBox, XfertForm, DessinForm, SelectForm, measures.get()};
    }
};

} // namespace windowsrig
