// The parameter record as named, readable fields and the field-by-field comparison of two records:
// what qv7ctl's show, write verification and diff print and what the window's differences list
// shows, said once. Pure functions on the record; any thread.
#pragma once

#include "proto/ParamImage.h"
#include "proto/ParamTable.h"

#include <QList>
#include <QString>

namespace qv7 {

// One decoded field. `raw` is the value as the record stores it (after masking for bit fields);
// `text` is what a reader sees, unit included ("1.50 s", "4-20 mA", "normally closed").
struct Field {
    QString key;   // stable name for scripts: "filter", "alarm2.threshold"
    QString label; // "Alarm 2 threshold"
    qint64 raw = 0;
    QString text;
    QString unit; // "s", "baud", "display units"; empty for choices
    // Bits no choice uses. Every field takes part in comparisons; a spare-bits field is shown in text
    // only when it is not zero, so a record with stray bits is still told apart.
    bool spareBits = false;
};

// What show prints for a row's raw value ("1.50 s", "4-20 mA", "code 9 (no such choice)").
QString fieldText(const ParamRow& row, qint64 raw);

// What the pages show in French for a row's raw value: a choice's French text, "code N (aucun
// choix)" (context "PageKit") for a code no choice stands for, otherwise show's text with
// `decimalPoint` for its point.
QString frenchFieldText(const ParamRow& row, qint64 raw, QChar decimalPoint);
// The French name of a row's unit ("points d'affichage" for display units), marked for the window's
// translations in context "PageKit"; a unit without a French name of its own (s, baud) as it is.
const char* frenchUnit(const ParamRow& row);

// Every field of the record's configuration and alarm part, in record order (type word excluded).
QList<Field> decodeParams(const TParamImage& params);

struct FieldDifference {
    QString key, label, expected, actual;
    qint64 expectedRaw = 0, actualRaw = 0; // as the records store them, for scripts
};
// Fields whose raw values differ between the two records (type word included), in record order.
QList<FieldDifference> compareParams(const TParamImage& expected, const TParamImage& actual);

// One line per difference: "Alarm 1 threshold: file 100, indicator 200".
QString differencesText(const QList<FieldDifference>& differences, const QString& left, const QString& right);

// The record as the indicator is to receive it. The window keeps 2 in the record for "the menu and
// the function keys" and sends that level as 3, the indicator's own code; a file it saved reaches the
// indicator the same way, and compares equal to an indicator that holds 3.
TParamImage asSent(TParamImage image);

} // namespace qv7
