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
    CbBaudRate->addItems({QStringLiteral("1200"), QStringLiteral("2400"), QStringLiteral("4800"),
                          QStringLiteral("9600"), QStringLiteral("19200"), QStringLiteral("38400")});
    CbBaudRate->setCurrentIndex(3);
    CbBaudRate->setGeometry(136, 56, 81, 21);
    CbFormat = named(new QComboBox(GRModbus), "CbFormat");
    CbFormat->addItems({QStringLiteral("8N1"), QStringLiteral("8E1"), QStringLiteral("8O1"),
                        QStringLiteral("8N2"), QStringLiteral("8E2"), QStringLiteral("8O2")});
    CbFormat->setCurrentIndex(3);
    CbFormat->setGeometry(136, 120, 81, 21);
    EdAddr = named(new QLineEdit(QStringLiteral("1"), GRModbus), "EdAddr");
    EdAddr->setGeometry(176, 180, 33, 21);
}

void TRs485Page::fill(const TParamImage& params) {
    const auto config = static_cast<std::uint32_t>(params.SerialConfig);
    const int baud = static_cast<int>(config & 7);
    const int format = static_cast<int>((config >> 3) & 7);
    CbBaudRate->setCurrentIndex(baud < CbBaudRate->count() ? baud : -1);
    CbFormat->setCurrentIndex(format < CbFormat->count() ? format : -1);
    EdAddr->setText(integerText((config >> 8) & 255));
}

void TRs485Page::store(TParamImage& params) const {
    const auto address = fieldValue<std::uint8_t>(EdAddr, pageNumber(EdAddr->text()));
    auto config = static_cast<std::uint32_t>(params.SerialConfig);
    if (const int baud = CbBaudRate->currentIndex(); baud >= 0)
        config = (config & ~0x7u) | static_cast<std::uint32_t>(baud);
    if (const int format = CbFormat->currentIndex(); format >= 0)
        config = (config & ~0x38u) | (static_cast<std::uint32_t>(format) << 3);
    config = (config & ~0xFF00u) | (static_cast<std::uint32_t>(address) << 8);
    params.SerialConfig = static_cast<std::int32_t>(config);
}

} // namespace qv7::pages
