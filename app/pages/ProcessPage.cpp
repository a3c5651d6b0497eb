#include "app/pages/ProcessPage.h"

#include "app/pages/PageKit.h"
#include "base/Numbers.h"
#include "widgets/MyControls.h"
#include "widgets/SEGMENTS.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

namespace qv7::pages {

TProcessPage::TProcessPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabProcess"));

    GrBOX12 = named(new TGroupBoxLangue(this), "GrBOX12");
    GrBOX12->CaptionSet()->setTexts(QStringLiteral("Facteur d'amortissement"),
                                    QStringLiteral("Damping value"));
    GrBOX12->setGeometry(8, 8, 233, 57);
    LabelLangue3 = named(new TLabelLangue(GrBOX12), "LabelLangue3");
    LabelLangue3->CaptionSet()->setTexts(QStringLiteral("Filtre (en secondes)"),
                                         QStringLiteral("Filter (in seconds)"));
    LabelLangue3->move(16, 24);
    EdFilter = named(new TMaskEdit(GrBOX12), "EdFilter");
    EdFilter->setGeometry(148, 20, 53, 23);
    EdFilter->setFont(courierFont());
    EdFilter->setEditMask(QStringLiteral("!90,00;1;_"));
    EdFilter->setText(QStringLiteral("  ,  "));

    GRMod = named(new QGroupBox(this), "GRMod");
    GRMod->setGeometry(8, 72, 233, 73);
    SpeedButton5 = named(new QToolButton(GRMod), "SpeedButton5");
    SpeedButton5->setGeometry(16, 27, 97, 22);
    SpeedButton5->setFocusPolicy(Qt::NoFocus);
    SEGMod = named(new TSEG(GRMod), "SEGMod");
    SEGMod->setStyle(TStyle::LED);
    SEGMod->setNbDigit(1);
    SEGMod->setHalfDigit(false);
    SEGMod->move(163, 13);
    connect(SpeedButton5, &QToolButton::clicked, this, [this] { SpeedButton5Click(); });

    GRLin = named(new QGroupBox(this), "GRLin");
    GRLin->setGeometry(8, 152, 233, 73);
    CkLin = named(new QCheckBox(GRLin), "CkLin");
    CkLin->move(16, 32);
    BtnEditLin = named(new QPushButton(GRLin), "BtnEditLin");
    BtnEditLin->setGeometry(128, 28, 89, 25);

    GRTemperature = named(new QGroupBox(this), "GRTemperature");
    GRTemperature->setGeometry(8, 152, 233, 121);
    RDDegC = named(new QRadioButton(GRTemperature), "RDDegC");
    RDDegF = named(new QRadioButton(GRTemperature), "RDDegF");
    CkDixieme = named(new QCheckBox(GRTemperature), "CkDixieme");
    RDDegC->move(16, 24);
    RDDegF->move(16, 48);
    CkDixieme->move(16, 84);
    GRTemperature->hide();

    bindParam(EdFilter, "filter");
    bindParam(SEGMod, "display.modulo");
    bindParam(CkLin, "linearisation.enabled");
    bindParam(RDDegC, "display.temperature_unit");
    bindParam(RDDegF, "display.temperature_unit");
    bindParam(CkDixieme, "display.tenths");
    retranslate();
}

void TProcessPage::retranslate() {
    GRMod->setTitle(tr("Modulo d'affichage"));
    SpeedButton5->setText(tr("Modulo"));
    GRLin->setTitle(tr("Linéarisation"));
    CkLin->setText(tr("Activation"));
    CkLin->adjustSize();
    BtnEditLin->setText(tr("Edition"));
    GRTemperature->setTitle(tr("Température"));
    const QStringList units = choiceTexts("display.temperature_unit");
    RDDegC->setText(units.at(0));
    RDDegF->setText(units.at(1));
    CkDixieme->setText(paramLabel("display.tenths"));
    for (QWidget* control :
         {static_cast<QWidget*>(RDDegC), static_cast<QWidget*>(RDDegF), static_cast<QWidget*>(CkDixieme)})
        control->adjustSize();
}

void TProcessPage::changeEvent(QEvent* event) {
    retranslateOn(event, this);
    QWidget::changeEvent(event);
}

void TProcessPage::showLinearisation(bool linearisation) {
    GRLin->setVisible(linearisation);
    GRTemperature->setVisible(!linearisation);
}

void TProcessPage::SpeedButton5Click() {
    switch (SEGMod->Nb()) {
    case 0:
        SEGMod->setNb(1);
        break;
    case 1:
        SEGMod->setNb(2);
        break;
    case 2:
        SEGMod->setNb(5);
        break;
    case 5:
        SEGMod->setNb(0);
        break;
    default:
        break;
    }
}

} // namespace qv7::pages
