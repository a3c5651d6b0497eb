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

    // SpeedButton5Click: SEGMod steps 0 -> 1 -> 2 -> 5 -> 0; any other value stays.
    void SpeedButton5Click();

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
};

} // namespace qv7::pages
