// The four "Entrée" pages: the current range (TabEntCourant), the voltage range
// (TabEntTension), the platinum probe's wiring (TabEntRtd) and the thermocouple type with the
// cold-junction compensation (TabEntTC). Each fills its controls from InputOptions and stores
// back only the bits its controls carry, so bits no control shows and codes that have no item
// stay as read unless the user changes the control that carries them.
#pragma once

#include "proto/ParamImage.h"

#include <QWidget>

#include <cstdint>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QRadioButton;

namespace qv7::pages {

class TRadioGroup;

// InputOptions bit 0: "0-20 mA" or "4-20 mA".
class TEntCourantPage : public QWidget {
    Q_OBJECT
public:
    explicit TEntCourantPage(QWidget* parent = nullptr);
    // Sets every text in the window's language: once built, and again at each change of it.
    void retranslate();
    TRadioGroup* RdGrCourant;

protected:
    void changeEvent(QEvent* event) override;
};

// InputOptions bits 1-2: the voltage range, in the three-range group (five-choice and fixed
// inputs) or the two-range group (two-choice input).
class TEntTensionPage : public QWidget {
    Q_OBJECT
public:
    explicit TEntTensionPage(QWidget* parent = nullptr);
    // Sets every text in the window's language: once built, and again at each change of it.
    void retranslate();
    // Fill step 4: RdGrTension2 shown iff type-word bit 15, RdGrTension1 iff RdGrTension2 is not.
    void showGroups(std::uint32_t typeWord);
    TRadioGroup* RdGrTension1;
    TRadioGroup* RdGrTension2;

protected:
    void changeEvent(QEvent* event) override;
};

// InputOptions bits 8-9: probe wiring 0 two wires, 1 three wires, 2 differential (code 3 has no
// button: none is checked and the code stays as read until one is).
class TEntRtdPage : public QWidget {
    Q_OBJECT
public:
    explicit TEntRtdPage(QWidget* parent = nullptr);
    // Sets every text in the window's language: once built, and again at each change of it.
    void retranslate();
    QGroupBox* GroupBox;
    QLabel* LabelRtd;
    QComboBox* CbRtd;
    QRadioButton* Rd2Wires;
    QRadioButton* Rd3Wires;
    QRadioButton* RdDiff;

protected:
    void changeEvent(QEvent* event) override;
};

// InputOptions bits 4-7: thermocouple type 0-8 (9-15 have no item: the combo shows none and the
// code stays as read until the user picks one); bit 10: cold-junction compensation.
class TEntTCPage : public QWidget {
    Q_OBJECT
public:
    explicit TEntTCPage(QWidget* parent = nullptr);
    // Sets every text in the window's language: once built, and again at each change of it.
    void retranslate();
    QGroupBox* GroupBox;
    QLabel* LabelTC;
    QComboBox* CbTC;
    QCheckBox* CKSF;

protected:
    void changeEvent(QEvent* event) override;
};

} // namespace qv7::pages
