#include "app/pages/Rs485Page.h"

#include "app/pages/PageKit.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace qv7::pages {

TRs485Page::TRs485Page(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabRS485"));
    GRModbus = named(new QGroupBox(QStringLiteral("Paramètres MODBUS"), this), "GRModbus");
    GRModbus->setGeometry(8, 8, 233, 281);
    LabelBaud = named(new QLabel(QStringLiteral("Vitesse de transmission"), GRModbus), "Label9");
    LabelFormat = named(new QLabel(QStringLiteral("Format de transmission"), GRModbus), "Label10");
    LabelAddr = named(new QLabel(QStringLiteral("Adresse de l'appareil"), GRModbus), "Label11");
    LabelBaud->move(16, 60);
    LabelFormat->move(16, 124);
    LabelAddr->move(16, 184);
    fitText(LabelBaud, 132);
    fitText(LabelFormat, 132);
    fitText(LabelAddr, 172);

    CbBaudRate = named(new QComboBox(GRModbus), "CbBaudRate");
    CbBaudRate->addItems(choiceTexts("rs485.baud"));
    bindParam(CbBaudRate, "rs485.baud");
    CbBaudRate->setCurrentIndex(3);
    CbBaudRate->setGeometry(136, 56, 81, 21);
    CbFormat = named(new QComboBox(GRModbus), "CbFormat");
    CbFormat->addItems(choiceTexts("rs485.format"));
    bindParam(CbFormat, "rs485.format");
    CbFormat->setCurrentIndex(3);
    CbFormat->setGeometry(136, 120, 81, 21);
    EdAddr = named(new QLineEdit(QStringLiteral("1"), GRModbus), "EdAddr");
    EdAddr->setGeometry(176, 180, 33, 21);
    bindParam(EdAddr, "rs485.address");
}

void TRs485Page::fill(const TParamImage& params) {
    CbBaudRate->setCurrentIndex(itemOf("rs485.baud", params));
    CbFormat->setCurrentIndex(itemOf("rs485.format", params));
    EdAddr->setText(integerText(itemOf("rs485.address", params)));
}

void TRs485Page::store(TParamImage& params) const {
    const auto address = fieldRaw(EdAddr, EdAddr->text(), "rs485.address", params.DeviceType);
    storeItem("rs485.baud", params, CbBaudRate->currentIndex());
    storeItem("rs485.format", params, CbFormat->currentIndex());
    storeItem("rs485.address", params, address);
}

} // namespace qv7::pages
