// Ctrl+P in the main window: the configuration sheet of the pages' current values, in the window's
// language, through the print dialog (a printer, or a PDF file saved whole). The values not yet
// written are marked: the rows the window marks as changed. Window thread.
#pragma once

#include "sheet/SheetContent.h"

#include <QObject>

#include <functional>

class QPrinter;
class TMainForm;

class TSheetPrint : public QObject {
    Q_OBJECT
public:
    // A child of `form`; takes Ctrl+P in it.
    explicit TSheetPrint(TMainForm& form);

    // The sheet of the pages as they stand. Raises ERangeError for a field that does not fit.
    qv7::sheet::SheetSource currentSheet();
    // Asks for a printer and prints on it; nothing when the dialog is cancelled or the pages have
    // not been filled. With the linearisation on and its table not read since the open, the table
    // is read first (the transfer window shows it) and the printer asked for once it came. A PDF file is made
    // in memory and saved whole; raises EInOutError when that save fails, the old file kept.
    void print();

    // The print dialog: true when `printer` is to be printed on (tests answer in advance).
    std::function<bool(QPrinter&)> askPrinter;

private:
    void printSheet();

    TMainForm& form_;
};
