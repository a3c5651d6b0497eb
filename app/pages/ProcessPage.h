// TabProcess, "Traitement": the damping filter, the display modulo with its
// one-digit preview, and either the linearisation switch (with the editor button) or the
// temperature unit and tenths, in two groups at the same place.
#pragma once

#include "proto/ParamImage.h"

#include <QWidget>

#include <optional>

class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QToolButton;
class TGroupBoxLangue;
class TLabelLangue;
class TSEG;

namespace qv7::pages {

class TMaskEdit;

class TProcessPage : public QWidget {
    Q_OBJECT
public:
    explicit TProcessPage(QWidget* parent = nullptr);
    // Sets every text in the window's language: once built, and again at each change of it.
    void retranslate();

    // The two groups at 8, 152: GRLin for the non-temperature inputs, GRTemperature otherwise.
    void showLinearisation(bool linearisation);

    void fillLin(const TParamImage& params);                     // fill step 8
    void fillTemperature(const TParamImage& params);             // fill step 9
    void fillFilter(const TParamImage& params, QChar separator); // fill step 10
    void fillModulo(const TParamImage& params);                  // fill step 12

    void storeLin(TParamImage& params) const;          // write step 4
    void storeFilter(TParamImage& params) const;       // write step 5
    void storeDisplayFlags(TParamImage& params) const; // write step 7: modulo, tenths, Fahrenheit

    // SpeedButton5Click: SEGMod steps 0 -> 1 -> 2 -> 5 -> 0; any other value stays.
    void SpeedButton5Click();

    // The modulo table: DisplayFlags bits 4-5 <-> the digit SEGMod shows.
    static int moduloDigit(int code);                // 0 -> 1, 1 -> 2, 2 -> 5, 3 -> 0
    static std::optional<int> moduloCode(int digit); // the inverse; nothing for another digit

    TGroupBoxLangue* GrBOX12;
    TLabelLangue* LabelLangue3;
    TMaskEdit* EdFilter;
    QGroupBox* GRMod;
    QToolButton* SpeedButton5;
    TSEG* SEGMod;
    QGroupBox* GRLin;
    QCheckBox* CkLin;
    QPushButton* BtnEditLin;
    QGroupBox* GRTemperature;
    QRadioButton* RDDegC;
    QRadioButton* RDDegF;
    QCheckBox* CkDixieme;

protected:
    void changeEvent(QEvent* event) override;

private:
    // A filter the mask cannot show (beyond 99.99 s, or negative from a file) is shown at the
    // nearest value it can, and stays as read unless the user edits the field.
    std::optional<std::int32_t> unshownFilter_;
    QString filledFilterText_;
};

} // namespace qv7::pages
