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
    RdGrCourant = named(new TRadioGroup(QStringLiteral("Gamme de l'entrée courant"),
                                        choiceTexts("input.current_range"), this),
                        "RdGrCourant");
    bindParam(RdGrCourant, "input.current_range");
    RdGrCourant->setGeometry(8, 8, 233, 81);
}

void TEntCourantPage::fill(const TParamImage& params) {
    RdGrCourant->setItemIndex(itemOf("input.current_range", params));
}

void TEntCourantPage::store(TParamImage& params) const {
    storeItem("input.current_range", params, RdGrCourant->ItemIndex());
}

// ---------------------------------------------------------------------------------------------

TEntTensionPage::TEntTensionPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabEntTension"));
    const QString caption = QStringLiteral("Gamme de l'entrée tension");
    const QStringList ranges = choiceTexts("input.voltage_range");
    RdGrTension1 = named(new TRadioGroup(caption, ranges, this), "RdGrTension1");
    RdGrTension1->setGeometry(8, 8, 233, 105);
    // The two-choice input's ranges: the first two.
    RdGrTension2 = named(new TRadioGroup(caption, ranges.mid(0, 2), this), "RdGrTension2");
    bindParam(RdGrTension1, "input.voltage_range");
    bindParam(RdGrTension2, "input.voltage_range");
    RdGrTension2->setGeometry(8, 8, 233, 81);
    RdGrTension2->hide();
}

void TEntTensionPage::showGroups(std::uint32_t typeWord) {
    // The two-range group where the indicator's voltage input has two ranges.
    RdGrTension2->setVisible(pageLimits(paramRow("input.voltage_range"), typeWord).highest == 1);
    RdGrTension1->setVisible(RdGrTension2->isHidden());
}

void TEntTensionPage::fillRange(TRadioGroup* group, const TParamImage& params) {
    group->setItemIndex(itemOf("input.voltage_range", params));
}

void TEntTensionPage::storeRange(const TRadioGroup* group, TParamImage& params) {
    storeItem("input.voltage_range", params, group->ItemIndex());
}

// ---------------------------------------------------------------------------------------------

TEntRtdPage::TEntRtdPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabEntRtd"));
    GroupBox = named(new QGroupBox(QStringLiteral("Type de sonde thermo-résistive"), this), "GroupBox1");
    GroupBox->setGeometry(8, 8, 233, 149);
    LabelRtd = named(new QLabel(QStringLiteral("Type de sonde"), GroupBox), "Label3");
    LabelRtd->move(16, 36);
    LabelRtd->adjustSize();
    CbRtd = named(new QComboBox(GroupBox), "CbRtd");
    CbRtd->addItem(QStringLiteral("Pt100"));
    CbRtd->setGeometry(120, 32, 81, 21);
    const QStringList wirings = choiceTexts("input.probe_wiring");
    Rd2Wires = named(new QRadioButton(wirings.at(0), GroupBox), "Rd2Wires");
    Rd3Wires = named(new QRadioButton(wirings.at(1), GroupBox), "Rd3Wires");
    RdDiff = named(new QRadioButton(wirings.at(2), GroupBox), "RdDiff");
    int y = 64;
    for (QRadioButton* button : {Rd2Wires, Rd3Wires, RdDiff}) {
        bindParam(button, "input.probe_wiring");
        button->move(24, y);
        button->adjustSize();
        y += 24;
    }
}

void TEntRtdPage::fill(const TParamImage& params) {
    CbRtd->setCurrentIndex(0);
    const int wiring = itemOf("input.probe_wiring", params);
    uncheckAll({Rd2Wires, Rd3Wires, RdDiff});
    if (wiring == 0) Rd2Wires->setChecked(true);
    if (wiring == 1) Rd3Wires->setChecked(true);
    if (wiring == 2) RdDiff->setChecked(true);
}

void TEntRtdPage::store(TParamImage& params) const {
    // No button checked: the code read had none and none has been chosen since.
    const int wiring = Rd2Wires->isChecked() ? 0 : Rd3Wires->isChecked() ? 1 : RdDiff->isChecked() ? 2 : -1;
    storeItem("input.probe_wiring", params, wiring);
}

// ---------------------------------------------------------------------------------------------

TEntTCPage::TEntTCPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabEntTC"));
    GroupBox = named(new QGroupBox(QStringLiteral("Type de sonde thermocouple"), this), "GroupBox2");
    GroupBox->setGeometry(8, 8, 233, 105);
    LabelTC = named(new QLabel(QStringLiteral("Type de thermocouple"), GroupBox), "Label4");
    LabelTC->move(16, 36);
    LabelTC->adjustSize();
    CbTC = named(new QComboBox(GroupBox), "CbTC");
    CbTC->addItems(choiceTexts("input.thermocouple"));
    bindParam(CbTC, "input.thermocouple");
    CbTC->setGeometry(144, 32, 57, 21);
    CKSF = named(new QCheckBox(QString::fromStdString(paramRow("input.cold_junction").french), GroupBox),
                 "CKSF");
    bindParam(CKSF, "input.cold_junction");
    CKSF->move(24, 72);
    fitText(CKSF, GroupBox->width() - 4);
}

void TEntTCPage::fill(const TParamImage& params) {
    CbTC->setCurrentIndex(itemOf("input.thermocouple", params));
    CKSF->setChecked(itemOf("input.cold_junction", params) == 1);
}

void TEntTCPage::store(TParamImage& params) const {
    storeItem("input.thermocouple", params, CbTC->currentIndex());
    storeItem("input.cold_junction", params, CKSF->isChecked() ? 1 : 0);
}

} // namespace qv7::pages
