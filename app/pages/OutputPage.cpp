#include "app/pages/OutputPage.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>

namespace qv7::pages {

TOutputPage::TOutputPage(FourDigitsQuery fourDigits, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabSA"));
    GRSA = named(new QGroupBox(this), "GRSA");
    GRSA->setGeometry(8, 8, 233, 161);
    LabelPESA = named(new QLabel(GRSA), "Label7");
    LabelPESA->move(16, 32);
    EdPESA = named(new TMaskEdit(GRSA), "EdPESA");
    EdPESA->setGeometry(152, 28, 57, 21);
    EdPESA->setText(QStringLiteral("10000"));
    LabelZSA = named(new QLabel(GRSA), "Label8");
    LabelZSA->move(16, 72);
    EdZSA = named(new TMaskEdit(GRSA), "EdZSA");
    EdZSA->setGeometry(152, 68, 57, 21);
    EdZSA->setText(QStringLiteral("0"));
    CKdecSA = named(new QCheckBox(GRSA), "CKdecSA");
    CKdecSA->move(24, 120);
    for (TMaskEdit* edit : {EdPESA, EdZSA})
        watchDisplayRange(edit, fourDigits);
    bindParam(EdPESA, "output.full_scale");
    bindParam(EdZSA, "output.zero");
    bindParam(CKdecSA, "output.offset");
    retranslate();
}

void TOutputPage::retranslate() {
    GRSA->setTitle(tr("Sortie analogique"));
    LabelPESA->setText(tr("Pleine échelle"));
    LabelPESA->adjustSize();
    LabelZSA->setText(tr("Zéro"));
    LabelZSA->adjustSize();
    CKdecSA->setText(tr("Décalage 20% (0-20 -> 4-20)"));
    CKdecSA->adjustSize();
}

void TOutputPage::changeEvent(QEvent* event) {
    retranslateOn(event, this);
    QWidget::changeEvent(event);
}

} // namespace qv7::pages
