// TabSA, "Sortie": the displayed values at which the analogue output is at full scale
// and at zero, and its 20 % offset.
#pragma once

#include "app/pages/PageKit.h"
#include "proto/ParamImage.h"

#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLabel;

namespace qv7::pages {

class TOutputPage : public QWidget {
    Q_OBJECT
public:
    explicit TOutputPage(FourDigitsQuery fourDigits, QWidget* parent = nullptr);
    // Sets every text in the window's language: once built, and again at each change of it.
    void retranslate();

    QGroupBox* GRSA;
    QLabel* LabelPESA;
    QLabel* LabelZSA;
    TMaskEdit* EdPESA;
    TMaskEdit* EdZSA;
    QCheckBox* CKdecSA;

protected:
    void changeEvent(QEvent* event) override;
};

} // namespace qv7::pages
