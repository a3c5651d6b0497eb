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

    GRMod = named(new QGroupBox(QStringLiteral("Modulo d'affichage"), this), "GRMod");
    GRMod->setGeometry(8, 72, 233, 73);
    SpeedButton5 = named(new QToolButton(GRMod), "SpeedButton5");
    SpeedButton5->setText(QStringLiteral("Modulo"));
    SpeedButton5->setGeometry(16, 27, 97, 22);
    SpeedButton5->setFocusPolicy(Qt::NoFocus);
    SEGMod = named(new TSEG(GRMod), "SEGMod");
    SEGMod->setStyle(TStyle::LED);
    SEGMod->setNbDigit(1);
    SEGMod->setHalfDigit(false);
    SEGMod->move(163, 13);
    connect(SpeedButton5, &QToolButton::clicked, this, [this] { SpeedButton5Click(); });

    GRLin = named(new QGroupBox(QStringLiteral("Linéarisation"), this), "GRLin");
    GRLin->setGeometry(8, 152, 233, 73);
    CkLin = named(new QCheckBox(QStringLiteral("Activation"), GRLin), "CkLin");
    CkLin->move(16, 32);
    CkLin->adjustSize();
    BtnEditLin = named(new QPushButton(QStringLiteral("Edition"), GRLin), "BtnEditLin");
    BtnEditLin->setGeometry(128, 28, 89, 25);

    GRTemperature = named(new QGroupBox(QStringLiteral("Température"), this), "GRTemperature");
    GRTemperature->setGeometry(8, 152, 233, 121);
    RDDegC = named(new QRadioButton(QStringLiteral("Degré Celsius (°C)"), GRTemperature), "RDDegC");
    RDDegF = named(new QRadioButton(QStringLiteral("Degré Fahrenheit (°F)"), GRTemperature), "RDDegF");
    CkDixieme = named(new QCheckBox(QStringLiteral("Affichage au dixiéme"), GRTemperature), "CkDixieme");
    RDDegC->move(16, 24);
    RDDegF->move(16, 48);
    CkDixieme->move(16, 84);
    for (QWidget* control :
         {static_cast<QWidget*>(RDDegC), static_cast<QWidget*>(RDDegF), static_cast<QWidget*>(CkDixieme)})
        control->adjustSize();
    GRTemperature->hide();

    bindParam(EdFilter, "filter");
    bindParam(SEGMod, "display.modulo");
    bindParam(CkLin, "linearisation.enabled");
    bindParam(RDDegC, "display.temperature_unit");
    bindParam(RDDegF, "display.temperature_unit");
    bindParam(CkDixieme, "display.tenths");
}

void TProcessPage::showLinearisation(bool linearisation) {
    GRLin->setVisible(linearisation);
    GRTemperature->setVisible(!linearisation);
}

void TProcessPage::fillLin(const TParamImage& params) {
    CkLin->setChecked(itemOf("linearisation.enabled", params) == 1);
}

void TProcessPage::fillTemperature(const TParamImage& params) {
    CkDixieme->setChecked(itemOf("display.tenths", params) == 1);
    RDDegF->setChecked(itemOf("display.temperature_unit", params) == 1);
    RDDegC->setChecked(!RDDegF->isChecked());
}

void TProcessPage::fillFilter(const TParamImage& params, QChar separator) {
    EdFilter->setEditMask(QStringLiteral("!90") + separator + QStringLiteral("00;1;_"));
    std::int32_t shown = params.Filter;
    unshownFilter_.reset();
    if (shown < 0 || shown > 9999) {
        unshownFilter_ = params.Filter;
        shown = shown < 0 ? 0 : 9999;
    }
    QString text = QString::fromStdString(formatPattern(shown / 100.0, "#0.00", '.'));
    text.replace(u'.', separator);
    EdFilter->setMaskedText(text);
    filledFilterText_ = EdFilter->maskedText();
}

void TProcessPage::fillModulo(const TParamImage& params) {
    SEGMod->setNb(moduloDigit(itemOf("display.modulo", params)));
}

void TProcessPage::storeLin(TParamImage& params) const {
    // The whole byte: its other bits are not kept.
    params.LinEnable = 0;
    storeItem("linearisation.enabled", params, CkLin->isChecked() ? 1 : 0);
}

void TProcessPage::storeFilter(TParamImage& params) const {
    const QString text = EdFilter->maskedText();
    if (unshownFilter_ && text == filledFilterText_) {
        params.Filter = *unshownFilter_;
        return;
    }
    params.Filter = static_cast<std::int32_t>(
        fieldRaw(EdFilter, text, "filter", params.DeviceType, EdFilter->literals()));
}

void TProcessPage::storeDisplayFlags(TParamImage& params) const {
    if (const auto code = moduloCode(SEGMod->Nb())) storeItem("display.modulo", params, *code);
    storeItem("display.tenths", params, CkDixieme->isChecked() ? 1 : 0);
    storeItem("display.temperature_unit", params, RDDegF->isChecked() ? 1 : 0);
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

// The modulo's choices are the digits SEGMod shows, in code order.
int TProcessPage::moduloDigit(int code) {
    return choiceTexts("display.modulo").value(code & 3).toInt();
}

std::optional<int> TProcessPage::moduloCode(int digit) {
    const int code = static_cast<int>(choiceTexts("display.modulo").indexOf(QString::number(digit)));
    if (code < 0) return std::nullopt;
    return code;
}

} // namespace qv7::pages
