#include "app/pages/CfgPage.h"

#include "app/pages/PageKit.h"
#include "proto/TypeWord.h"

namespace qv7::pages {

TCfgPage::TCfgPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabCfg"));
    const QStringList inputs = choiceTexts("input.type");
    RdGrCFG1 = named(new TRadioGroup(QString(), inputs, this), "RdGrCFG1");
    RdGrCFG1->setGeometry(8, 8, 233, 157);
    // The two-choice input: current and voltage.
    RdGrCFG2 = named(new TRadioGroup(QString(), inputs.mid(0, 2), this), "RdGrCFG2");
    bindParam(RdGrCFG1, "input.type");
    bindParam(RdGrCFG2, "input.type");
    RdGrCFG2->setGeometry(8, 8, 233, 73);
    RdGrCFG2->hide();
    connect(RdGrCFG1, &TRadioGroup::clicked, this, &TCfgPage::RdGrCFGClicked);
    connect(RdGrCFG2, &TRadioGroup::clicked, this, &TCfgPage::RdGrCFGClicked);
    retranslate();
}

void TCfgPage::retranslate() {
    const QString caption = tr("Configuration de l'entrée");
    RdGrCFG1->setTexts(caption, choiceTexts("input.type"));
    RdGrCFG2->setTexts(caption, choiceTexts("input.type"));
}

void TCfgPage::changeEvent(QEvent* event) {
    retranslateOn(event, this);
    QWidget::changeEvent(event);
}

void TCfgPage::showGroups(std::uint32_t typeWord) {
    // The five-choice group where the input has five choices, the two-choice group where it has
    // two; a fixed input has neither.
    const bool configurable = hasParam("input.type", typeWord);
    const auto items = pageLimits(paramRow("input.type"), typeWord).highest + 1;
    RdGrCFG1->setVisible(configurable && items == RdGrCFG1->count());
    RdGrCFG2->setVisible(configurable && qv7::typeword::offersTwoInputs(typeWord));
}

TRadioGroup* TCfgPage::activeGroup(bool tabShown) const {
    if (!tabShown) return nullptr;
    if (!RdGrCFG1->isHidden()) return RdGrCFG1;
    if (!RdGrCFG2->isHidden()) return RdGrCFG2;
    return nullptr;
}

} // namespace qv7::pages
