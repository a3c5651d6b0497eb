#include "app/pages/IdentPage.h"

#include "app/pages/PageKit.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>

namespace qv7::pages {

TIdentPage::TIdentPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabIdent"));
    Bevel1 = named(new QFrame(this), "Bevel1");
    Bevel1->setFrameShape(QFrame::Box);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(8, 8, 233, 50);
    Label2 = named(new QLabel(this), "Label2");
    Label2->move(24, 32);
    EdName = named(new QLineEdit(QStringLiteral("VUVEDOD"), this), "EdName");
    EdName->setReadOnly(true);
    EdName->setGeometry(128, 24, 89, 21);

    GrProt = named(new TRadioGroup(QString(), choiceTexts("protection"), this), "GrProt");
    bindParam(GrProt, "protection");
    GrProt->setGeometry(8, 176, 233, 105);
    retranslate();
}

void TIdentPage::retranslate() {
    Label2->setText(tr("Nom de l'appareil"));
    Label2->adjustSize();
    GrProt->setTexts(tr("Niveau de protection"), choiceTexts("protection"));
}

void TIdentPage::changeEvent(QEvent* event) {
    retranslateOn(event, this);
    QWidget::changeEvent(event);
}

void TIdentPage::fillName(const QString& modelName) {
    EdName->setText(modelName);
}

} // namespace qv7::pages
