#include "app/pages/InputPages.h"

#include "app/pages/PageKit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

namespace qv7::pages {

// ---------------------------------------------------------------------------------------------

TEntCourantPage::TEntCourantPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabEntCourant"));
    RdGrCourant = named(new TRadioGroup(QString(), choiceTexts("input.current_range"), this), "RdGrCourant");
    bindParam(RdGrCourant, "input.current_range");
    RdGrCourant->setGeometry(8, 8, 233, 81);
    retranslate();
}

void TEntCourantPage::retranslate() {
    RdGrCourant->setTexts(tr("Gamme de l'entrée courant"), choiceTexts("input.current_range"));
}

void TEntCourantPage::changeEvent(QEvent* event) {
    retranslateOn(event, this);
    QWidget::changeEvent(event);
}

// ---------------------------------------------------------------------------------------------

TEntTensionPage::TEntTensionPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabEntTension"));
    const QStringList ranges = choiceTexts("input.voltage_range");
    RdGrTension1 = named(new TRadioGroup(QString(), ranges, this), "RdGrTension1");
    RdGrTension1->setGeometry(8, 8, 233, 105);
    // The two-choice input's ranges: the first two.
    RdGrTension2 = named(new TRadioGroup(QString(), ranges.mid(0, 2), this), "RdGrTension2");
    bindParam(RdGrTension1, "input.voltage_range");
    bindParam(RdGrTension2, "input.voltage_range");
    RdGrTension2->setGeometry(8, 8, 233, 81);
    RdGrTension2->hide();
    retranslate();
}

void TEntTensionPage::retranslate() {
    const QString caption = tr("Gamme de l'entrée tension");
    RdGrTension1->setTexts(caption, choiceTexts("input.voltage_range"));
    RdGrTension2->setTexts(caption, choiceTexts("input.voltage_range"));
}

void TEntTensionPage::changeEvent(QEvent* event) {
    retranslateOn(event, this);
    QWidget::changeEvent(event);
}

void TEntTensionPage::showGroups(std::uint32_t typeWord) {
    // The two-range group where the indicator's voltage input has two ranges.
    RdGrTension2->setVisible(pageLimits(paramRow("input.voltage_range"), typeWord).highest == 1);
    RdGrTension1->setVisible(RdGrTension2->isHidden());
}

// ---------------------------------------------------------------------------------------------

TEntRtdPage::TEntRtdPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabEntRtd"));
    GroupBox = named(new QGroupBox(this), "GroupBox1");
    GroupBox->setGeometry(8, 8, 233, 149);
    LabelRtd = named(new QLabel(GroupBox), "Label3");
    LabelRtd->move(16, 36);
    CbRtd = named(new QComboBox(GroupBox), "CbRtd");
    CbRtd->addItem(QStringLiteral("Pt100"));
    CbRtd->setGeometry(120, 32, 81, 21);
    Rd2Wires = named(new QRadioButton(GroupBox), "Rd2Wires");
    Rd3Wires = named(new QRadioButton(GroupBox), "Rd3Wires");
    RdDiff = named(new QRadioButton(GroupBox), "RdDiff");
    int y = 64;
    for (QRadioButton* button : {Rd2Wires, Rd3Wires, RdDiff}) {
        bindParam(button, "input.probe_wiring");
        button->move(24, y);
        y += 24;
    }
    retranslate();
}

void TEntRtdPage::retranslate() {
    GroupBox->setTitle(tr("Type de sonde thermo-résistive"));
    LabelRtd->setText(tr("Type de sonde"));
    LabelRtd->adjustSize();
    const QStringList wirings = choiceTexts("input.probe_wiring");
    int i = 0;
    for (QRadioButton* button : {Rd2Wires, Rd3Wires, RdDiff}) {
        button->setText(wirings.at(i++));
        button->adjustSize();
    }
}

void TEntRtdPage::changeEvent(QEvent* event) {
    retranslateOn(event, this);
    QWidget::changeEvent(event);
}

// ---------------------------------------------------------------------------------------------

TEntTCPage::TEntTCPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabEntTC"));
    GroupBox = named(new QGroupBox(this), "GroupBox2");
    GroupBox->setGeometry(8, 8, 233, 105);
    LabelTC = named(new QLabel(GroupBox), "Label4");
    LabelTC->move(16, 36);
    CbTC = named(new QComboBox(GroupBox), "CbTC");
    CbTC->addItems(choiceTexts("input.thermocouple"));
    bindParam(CbTC, "input.thermocouple");
    CbTC->setGeometry(144, 32, 57, 21);
    CKSF = named(new QCheckBox(GroupBox), "CKSF");
    bindParam(CKSF, "input.cold_junction");
    CKSF->move(24, 72);
    retranslate();
}

void TEntTCPage::retranslate() {
    GroupBox->setTitle(tr("Type de sonde thermocouple"));
    LabelTC->setText(tr("Type de thermocouple"));
    LabelTC->adjustSize();
    CKSF->setText(paramLabel("input.cold_junction"));
    fitText(CKSF, GroupBox->width() - 4);
}

void TEntTCPage::changeEvent(QEvent* event) {
    retranslateOn(event, this);
    QWidget::changeEvent(event);
}

} // namespace qv7::pages
