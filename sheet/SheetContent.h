// What a configuration sheet says, before it is laid out: the header, the parameters the indicator
// has grouped as the window's pages group them, the alarms as one table and the linearisation curve.
// Labels, units and choice texts come from the parameter table and the translations. Pure functions
// of their inputs: any thread may build a sheet (qv7ctl --all builds one per indicator at once).
#pragma once

#include "indicator/LinFile.h"
#include "proto/ParamImage.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace qv7::sheet {

enum class SheetLanguage { French, English };

// What a sheet is made of.
struct SheetSource {
    TParamImage params;
    QString modelName; // empty: the designation the type word gives
    QString serial;    // empty: not known (a parameter file)
    QDateTime time;    // when the values were read or the file was taken
    QString version;   // the program's
    SheetLanguage language = SheetLanguage::English;
    // The curve of the linearisation table, in percent, when one is given: from the .LIN file
    // `curveFile`, or read from the indicator when that is empty. Without a curve, a sheet whose
    // linearisation is on says why: the indicator's table was refused, or none was given.
    std::optional<std::vector<LinFilePoint>> curve;
    QString curveFile;
    bool tableRefused = false;
    bool tableNotRead = false; // the indicator's table was not read: the sheet says so
    // Keys of the rows to mark: those that differ from the reference file `markReference`, or,
    // when it is empty, the values not yet written to the indicator.
    std::set<std::string> marked;
    QString markReference;
};

// One line of a group: label, value with its unit, the range the pages accept.
struct SheetRow {
    std::string key;
    QString label, value, range;
    bool marked = false;
};

struct SheetGroup {
    QString caption; // the page's tab caption
    QList<SheetRow> rows;
};

// The alarms the indicator has, one column each; a row per alarm parameter.
struct AlarmTable {
    QStringList columns; // "Alarme 1", ...
    struct Line {
        QString label, range;
        QStringList values; // one per column
        QList<bool> marked;
    };
    QList<Line> lines;
};

struct SheetContent {
    QString title;
    QString labelHeading, valueHeading, rangeHeading; // the parameter tables' columns
    QList<QPair<QString, QString>> header;            // label, text
    QList<SheetGroup> groups;
    QString alarmsCaption;
    AlarmTable alarms;
    QString curveCaption;
    QString curveNote;                // under the curve, or instead of it
    std::vector<LinFilePoint> curve;  // empty: no curve drawn
    QString curveXTitle, curveYTitle; // the plot's axes: "Entrée (%)", "Affichage (%)"
    QStringList pointColumns;         // "N°", "X (%)", "Y (%)"
    QList<QStringList> pointRows;     // the points as the .LIN file writes them
    QString markLegend;               // empty when nothing is marked
    QString configuredBy, checkedBy, dateLabel;
    QString pageOf; // "Page %1 / %2"
    // At the foot of every page, so that a loose page names its instrument: model, serial, date.
    QString pageIdentity;
    bool decimalComma = false;
};

SheetContent buildSheet(const SheetSource& source);

// The text of a sheet in its language: French is the source, English comes from the program's
// translations (":/i18n/qv7cfg_en.qm"), loaded once whatever the process's installed language.
QString sheetText(SheetLanguage language, const char* context, const char* french);

} // namespace qv7::sheet
