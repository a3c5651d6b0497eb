// TMesuresForm: the editor's "Mesures…" dialog. Loads a table of measured pairs (or takes a built-in
// shape), fits the curve of the chosen number of points to it, draws the pairs beside the curve and
// the deviation along the input, and shows the largest deviation against evenly spread points.
// "OK" hands the fitted points to the editor. Created for one showing; window thread.
#pragma once

#include "indicator/LinFile.h"
#include "indicator/LinFit.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class TBitBtnLangue;
class TFitPlot;

class TMesuresForm : public QDialog {
    Q_OBJECT
public:
    explicit TMesuresForm(QWidget* parent = nullptr);

    // Reads a table of measured pairs and fits it; a refused table is told in a message box naming
    // its line and leaves what was shown. Raises EInOutError when the file cannot be read.
    bool loadTable(const QString& path);
    // The shape's pairs (CbForme's index from 1; 0 keeps the loaded table).
    void takeShape(int index);
    // The fitted points, rounded to the .LIN file's two decimals as the editor keeps them; empty
    // before any pairs are there.
    std::vector<qv7::LinFilePoint> curve() const;
    const qv7::LinFitResult& fit() const { return fit_; }

    QPushButton* BtnCharge = nullptr;
    QComboBox* CbForme = nullptr;
    QLabel* LblPoints = nullptr;
    QSpinBox* SpinPoints = nullptr;
    QCheckBox* ChkHorsMesures = nullptr; // the outputs may leave the data, the ends kept
    QLabel* LblEcart = nullptr;
    TFitPlot* FitPlot = nullptr;
    TFitPlot* ErrorPlot = nullptr;
    QPushButton* BtnOK = nullptr;
    QPushButton* BtnAnnuler = nullptr;

protected:
    void changeEvent(QEvent* event) override;

private:
    // Every text of the dialog in the current language; the deviation's from the fit shown.
    void retranslate();
    void showDeviation();
    void BtnChargeClick();
    void refit();

    std::vector<qv7::FitPoint> data_;
    qv7::LinFitResult fit_;
};
