#include "app/pages/CfgPage.h"

#include "app/pages/PageKit.h"

namespace qv7::pages {

TCfgPage::TCfgPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabCfg"));
    const QString caption = QStringLiteral("Configuration de l'entrée");
    RdGrCFG1 = named(new TRadioGroup(caption,
                                     {QStringLiteral("Courant"), QStringLiteral("Tension"),
                                      QStringLiteral("Sonde Platine"), QStringLiteral("Thermocouple"),
                                      QStringLiteral("Potentiomètre")},
                                     this),
                     "RdGrCFG1");
    RdGrCFG1->setGeometry(8, 8, 233, 157);
    RdGrCFG2 = named(new TRadioGroup(caption, {QStringLiteral("Courant"), QStringLiteral("Tension")}, this),
                     "RdGrCFG2");
    RdGrCFG2->setGeometry(8, 8, 233, 73);
    RdGrCFG2->hide();
    connect(RdGrCFG1, &TRadioGroup::clicked, this, &TCfgPage::RdGrCFGClicked);
    connect(RdGrCFG2, &TRadioGroup::clicked, this, &TCfgPage::RdGrCFGClicked);
}

void TCfgPage::showGroups(std::uint32_t typeWord) {
    RdGrCFG1->setVisible((typeWord & 0x4000) != 0);
    RdGrCFG2->setVisible((typeWord & 0x8000) != 0);
}

TRadioGroup* TCfgPage::activeGroup(bool tabShown) const {
    if (!tabShown) return nullptr;
    if (!RdGrCFG1->isHidden()) return RdGrCFG1;
    if (!RdGrCFG2->isHidden()) return RdGrCFG2;
    return nullptr;
}

void TCfgPage::fillInputConfig(TRadioGroup* group, const TParamImage& params) {
    group->setItemIndex(params.InputConfig);
}

void TCfgPage::storeInputConfig(const TRadioGroup* group, TParamImage& params) {
    const int item = group->ItemIndex();
    if (item >= 0) params.InputConfig = static_cast<std::uint8_t>(item);
}

} // namespace qv7::pages
