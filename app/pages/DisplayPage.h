// TabDisplay, "Affichage": the displayed values at full scale and at zero, and the
// decimal point with its seven-segment preview.
#pragma once

#include "app/pages/PageKit.h"
#include "proto/ParamImage.h"

#include <QWidget>

class QGroupBox;
class QLabel;
class QToolButton;
class TSEG;

namespace qv7::pages {

class TDisplayPage : public QWidget {
    Q_OBJECT
public:
    // `fourDigits` answers whether the indicator shows 4 digits (the range check and the point).
    explicit TDisplayPage(FourDigitsQuery fourDigits, QWidget* parent = nullptr);
    // Sets every text in the window's language: once built, and again at each change of it.
    void retranslate();

    void fillDigits(bool fourDigits); // fill step 6: SEGAFF's digits and place

    // SpeedButton4Click: the next decimal-point position, 0 after 3 (4 on a 4½-digit indicator).
    void SpeedButton4Click();

    QGroupBox* GrAF;
    QLabel* LabelPEAF;
    QLabel* LabelZAF;
    TMaskEdit* EdPEAF;
    TMaskEdit* EdZAF;
    QToolButton* SpeedButton4;
    TSEG* SEGAFF;

protected:
    void changeEvent(QEvent* event) override;

private:
    FourDigitsQuery fourDigits_;
};

} // namespace qv7::pages
