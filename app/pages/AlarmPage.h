// TabALR1 ... TabALR4, "Alarme 1" ... "Alarme 4": one class used four times; the
// controls of alarm n end in the digit n (EdAlr1, RdRelNf3, ...). Set point, hysteresis, delay,
// the relay's rest state and the LED's contact.
#pragma once

#include "app/pages/PageKit.h"
#include "proto/ParamImage.h"

#include <QWidget>

#include <string>

class TGroupBoxLangue;
class TLabelLangue;
class TRadioButtonLangue;

namespace qv7::pages {

class TAlarmPage : public QWidget {
    Q_OBJECT
public:
    // `number` 1 to 4.
    TAlarmPage(int number, FourDigitsQuery fourDigits, QWidget* parent = nullptr);

    int number() const { return number_; }

    // The parameter table's key of one of this alarm's members: key("delay") is "alarm2.delay".
    std::string key(const char* member) const;

    TGroupBoxLangue* GrTrigger;  // "Déclenchement"
    TLabelLangue* LabelSetPoint; // "Seuil d'alarme"
    TLabelLangue* LabelHysteresis;
    TMaskEdit* EdAlr;
    TMaskEdit* EdHys;
    TGroupBoxLangue* GrDelay; // "Delai"
    TLabelLangue* LabelDelay;
    TMaskEdit* EdDel;
    TGroupBoxLangue* GrContact; // "Contact"
    TRadioButtonLangue* RdRelNo;
    TRadioButtonLangue* RdRelNf;
    TLabelLangue* LabelNo;
    TLabelLangue* LabelNf;
    TGroupBoxLangue* GrLed; // "Voyant"
    TRadioButtonLangue* RdLedNe;
    TRadioButtonLangue* RdLedNa;

private:
    int number_;
};

} // namespace qv7::pages
