// TabALR1 ... TabALR4, "Alarme 1" ... "Alarme 4": one class used four times; the
// controls of alarm n end in the digit n (EdAlr1, RdRelNf3, ...). Set point, hysteresis, delay,
// the relay's rest state and the LED's contact.
#pragma once

#include "app/pages/PageKit.h"
#include "indicator/ParamImage.h"

#include <QWidget>

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

    // Fill step 16 for this alarm.
    void fill(const TAlarmRecord& alarm, QChar separator);
    // Write step 11 for this alarm: AlarmFlags bits 0 and 4 from the buttons, its other bits as
    // read. A delay beyond 25.5 s is a range error on EdDel.
    void store(TAlarmRecord& alarm) const;

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
