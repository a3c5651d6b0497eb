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

    // Fill step 15. A baud-rate or format code with no item (6 or 7) leaves its combo empty.
    void fill(const TParamImage& params);
    // Write step 10: bits 0-2 baud rate, 3-5 format (an empty combo keeps its code as read),
    // 8-15 the address; other bits as read. An address beyond 0-255 is a range error.
    void store(TParamImage& params) const;

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
