#include "app/pages/DisplayPage.h"

#include "widgets/SEGMENTS.h"

#include <QGroupBox>
#include <QLabel>
#include <QToolButton>

namespace qv7::pages {

TDisplayPage::TDisplayPage(FourDigitsQuery fourDigits, QWidget* parent)
    : QWidget(parent), fourDigits_(std::move(fourDigits)) {
    setObjectName(QStringLiteral("TabDisplay"));
    GrAF = named(new QGroupBox(this), "GrAF");
    GrAF->setGeometry(8, 8, 233, 193);
    LabelPEAF = named(new QLabel(GrAF), "Label5");
    LabelPEAF->move(16, 32);
    EdPEAF = named(new TMaskEdit(GrAF), "EdPEAF");
    EdPEAF->setGeometry(152, 28, 57, 21);
    EdPEAF->setText(QStringLiteral("10000"));
    LabelZAF = named(new QLabel(GrAF), "Label6");
    LabelZAF->move(16, 72);
    EdZAF = named(new TMaskEdit(GrAF), "EdZAF");
    EdZAF->setGeometry(152, 68, 57, 21);
    EdZAF->setText(QStringLiteral("0"));
    SpeedButton4 = named(new QToolButton(GrAF), "SpeedButton4");
    SpeedButton4->setGeometry(112, 104, 97, 22);
    SpeedButton4->setFocusPolicy(Qt::NoFocus);
    SEGAFF = named(new TSEG(GrAF), "SEGAFF");
    SEGAFF->setStyle(TStyle::LED);
    SEGAFF->setNbDigit(4);
    SEGAFF->setHalfDigit(true);
    SEGAFF->move(15, 126);

    for (TMaskEdit* edit : {EdPEAF, EdZAF})
        watchDisplayRange(edit, fourDigits_);
    bindParam(EdPEAF, "display.full_scale");
    bindParam(EdZAF, "display.zero");
    bindParam(SEGAFF, "display.decimal_point");
    connect(SpeedButton4, &QToolButton::clicked, this, [this] { SpeedButton4Click(); });
    retranslate();
}

void TDisplayPage::retranslate() {
    GrAF->setTitle(tr("Paramètre d'affichage"));
    LabelPEAF->setText(tr("Pleine échelle"));
    LabelPEAF->adjustSize();
    LabelZAF->setText(tr("Zéro"));
    LabelZAF->adjustSize();
    SpeedButton4->setText(tr("Point décimal"));
}

void TDisplayPage::changeEvent(QEvent* event) {
    retranslateOn(event, this);
    QWidget::changeEvent(event);
}

void TDisplayPage::fillDigits(bool fourDigits) {
    SEGAFF->setHalfDigit(!fourDigits);
    SEGAFF->setNb(fourDigits ? 1000 : 10000);
    SEGAFF->move(fourDigits ? 35 : 15, SEGAFF->y());
}

void TDisplayPage::SpeedButton4Click() {
    const int limit = fourDigits_() ? 3 : 4;
    const int point = SEGAFF->PointDecimal();
    SEGAFF->setPointDecimal(point < limit ? point + 1 : 0);
}

} // namespace qv7::pages
