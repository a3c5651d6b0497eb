#include "app/pages/InputPages.h"

#include "app/pages/PageKit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

namespace qv7::pages {

namespace {
std::uint32_t withBits(std::uint32_t word, std::uint32_t mask, std::uint32_t bits) {
    return (word & ~mask) | (bits & mask);
}
} // namespace

// ---------------------------------------------------------------------------------------------

TEntCourantPage::TEntCourantPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabEntCourant"));
    RdGrCourant = named(new TRadioGroup(QStringLiteral("Gamme de l'entrée courant"),
                                        {QStringLiteral("0-20 mA"), QStringLiteral("4-20 mA")}, this),
                        "RdGrCourant");
    RdGrCourant->setGeometry(8, 8, 233, 81);
}

void TEntCourantPage::fill(const TParamImage& params) {
    RdGrCourant->setItemIndex(static_cast<int>(params.InputOptions & 1));
}

void TEntCourantPage::store(TParamImage& params) const {
    const int item = RdGrCourant->ItemIndex();
    if (item >= 0) params.InputOptions = withBits(params.InputOptions, 0x1, static_cast<std::uint32_t>(item));
}

// ---------------------------------------------------------------------------------------------

TEntTensionPage::TEntTensionPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabEntTension"));
    const QString caption = QStringLiteral("Gamme de l'entrée tension");
    RdGrTension1 = named(
        new TRadioGroup(
            caption, {QStringLiteral("0-10 V"), QStringLiteral("0-1 V"), QStringLiteral("0-100 mV")}, this),
        "RdGrTension1");
    RdGrTension1->setGeometry(8, 8, 233, 105);
    RdGrTension2 = named(new TRadioGroup(caption, {QStringLiteral("0-10 V"), QStringLiteral("0-1 V")}, this),
                         "RdGrTension2");
    RdGrTension2->setGeometry(8, 8, 233, 81);
    RdGrTension2->hide();
}

void TEntTensionPage::showGroups(std::uint32_t typeWord) {
    RdGrTension2->setVisible((typeWord & 0x8000) != 0);
    RdGrTension1->setVisible(RdGrTension2->isHidden());
}

void TEntTensionPage::fillRange(TRadioGroup* group, const TParamImage& params) {
    group->setItemIndex(static_cast<int>((params.InputOptions >> 1) & 3));
}

void TEntTensionPage::storeRange(const TRadioGroup* group, TParamImage& params) {
    const int item = group->ItemIndex();
    if (item >= 0)
        params.InputOptions = withBits(params.InputOptions, 0x6, 2 * static_cast<std::uint32_t>(item));
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
    Rd2Wires = named(new QRadioButton(QStringLiteral("2 fils"), GroupBox), "Rd2Wires");
    Rd3Wires = named(new QRadioButton(QStringLiteral("3 fils"), GroupBox), "Rd3Wires");
    RdDiff = named(new QRadioButton(QStringLiteral("Différentiel de sonde"), GroupBox), "RdDiff");
    int y = 64;
    for (QRadioButton* button : {Rd2Wires, Rd3Wires, RdDiff}) {
        button->move(24, y);
        button->adjustSize();
        y += 24;
    }
}

void TEntRtdPage::fill(const TParamImage& params) {
    CbRtd->setCurrentIndex(0);
    const std::uint32_t wiring = (params.InputOptions >> 8) & 3;
    uncheckAll({Rd2Wires, Rd3Wires, RdDiff});
    if (wiring == 0) Rd2Wires->setChecked(true);
    if (wiring == 1) Rd3Wires->setChecked(true);
    if (wiring == 2) RdDiff->setChecked(true);
}

void TEntRtdPage::store(TParamImage& params) const {
    std::uint32_t wiring = 0;
    if (Rd3Wires->isChecked())
        wiring = 0x100;
    else if (RdDiff->isChecked())
        wiring = 0x200;
    else if (!Rd2Wires->isChecked())
        return; // the code read had no button and none has been chosen since
    params.InputOptions = withBits(params.InputOptions, 0x300, wiring);
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
    CbTC->addItems({QStringLiteral("J"), QStringLiteral("K"), QStringLiteral("T"), QStringLiteral("E"),
                    QStringLiteral("R"), QStringLiteral("S"), QStringLiteral("B"), QStringLiteral("N"),
                    QStringLiteral("W5")});
    CbTC->setGeometry(144, 32, 57, 21);
    CKSF = named(new QCheckBox(QStringLiteral("Compensation de la soudure froide"), GroupBox), "CKSF");
    CKSF->move(24, 72);
    fitText(CKSF, GroupBox->width() - 4);
}

void TEntTCPage::fill(const TParamImage& params) {
    const int type = static_cast<int>((params.InputOptions >> 4) & 0xF);
    CbTC->setCurrentIndex(type < CbTC->count() ? type : -1);
    CKSF->setChecked((params.InputOptions & 0x400) != 0);
}

void TEntTCPage::store(TParamImage& params) const {
    const int type = CbTC->currentIndex();
    if (type >= 0)
        params.InputOptions = withBits(params.InputOptions, 0xF0, static_cast<std::uint32_t>(type) << 4);
    params.InputOptions = withBits(params.InputOptions, 0x400, CKSF->isChecked() ? 0x400 : 0);
}

} // namespace qv7::pages
