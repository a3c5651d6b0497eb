// TabRS485: the indicator's own Modbus port: baud rate, character format and address,
// all in SerialConfig.
#pragma once

#include "proto/ParamImage.h"

#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace qv7::pages {

class TRs485Page : public QWidget {
    Q_OBJECT
public:
    explicit TRs485Page(QWidget* parent = nullptr);
    // Sets every text in the window's language: once built, and again at each change of it.
    void retranslate();

    QGroupBox* GRModbus;
    QLabel* LabelBaud;
    QLabel* LabelFormat;
    QLabel* LabelAddr;
    QComboBox* CbBaudRate;
    QComboBox* CbFormat;
    QLineEdit* EdAddr;

protected:
    void changeEvent(QEvent* event) override;
};

} // namespace qv7::pages
