#include "app/pages/Rs485Page.h"

#include "app/pages/PageKit.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace qv7::pages {

TRs485Page::TRs485Page(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabRS485"));
    GRModbus = named(new QGroupBox(this), "GRModbus");
    GRModbus->setGeometry(8, 8, 233, 281);
    LabelBaud = named(new QLabel(GRModbus), "Label9");
    LabelFormat = named(new QLabel(GRModbus), "Label10");
    LabelAddr = named(new QLabel(GRModbus), "Label11");
    LabelBaud->move(16, 60);
    LabelFormat->move(16, 124);
    LabelAddr->move(16, 184);

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
    retranslate();
}

void TRs485Page::retranslate() {
    GRModbus->setTitle(tr("Paramètres MODBUS"));
    LabelBaud->setText(tr("Vitesse de transmission"));
    LabelFormat->setText(tr("Format de transmission"));
    LabelAddr->setText(tr("Adresse de l'appareil"));
    fitText(LabelBaud, 132);
    fitText(LabelFormat, 132);
    fitText(LabelAddr, 172);
}

void TRs485Page::changeEvent(QEvent* event) {
    retranslateOn(event, this);
    QWidget::changeEvent(event);
}

} // namespace qv7::pages
