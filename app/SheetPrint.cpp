#include "app/SheetPrint.h"

#include "app/Language.h"
#include "app/Main.h"
#include "app/Session.h"
#include "base/Errors.h"
#include "base/Files.h"
#include "indicator/FileAccess.h"
#include "indicator/LinCurve.h"
#include "sheet/SheetPainter.h"
#include "widgets/Messages.h"
#include "widgets/RunTimeErrors.h"

#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QShortcut>

#include <algorithm>

TSheetPrint::TSheetPrint(TMainForm& form) : QObject(&form), form_(form) {
    setObjectName(QStringLiteral("SheetPrint"));
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), &form);
    connect(shortcut, &QShortcut::activated, this, [this] { qv7::runGuarded([this] { print(); }); });
    askPrinter = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, &form_);
        return dialog.exec() == QDialog::Accepted;
    };
}

qv7::sheet::SheetSource TSheetPrint::currentSheet() {
    TTorvik& torvik = form_.Torvik();
    const TSession& session = form_.Session();
    qv7::sheet::SheetSource s;
    // The session holds every edit that fits; storing the pages once more refuses, with the focus
    // on it, a field that holds something else than a value its row takes.
    s.params = session.edited();
    form_.pages().store(s.params);
    s.modelName = torvik.ModelName();
    s.serial = form_.SerialNumber();
    s.time = QDateTime::currentDateTime();
    s.version = QStringLiteral("qv7cfg %1").arg(QStringLiteral(QV7_VERSION));
    s.language = qv7::currentLanguage() == qv7::Language::English ? qv7::sheet::SheetLanguage::English
                                                                  : qv7::sheet::SheetLanguage::French;
    // The curve stands on the sheet only as the indicator holds it: read or written since the open.
    if ((s.params.LinEnable & 1) && form_.linTableKnown()) {
        s.curve = qv7::linCurveFromTable(torvik.linTableSnapshot(), s.params.LinLastPoint & 0x1F);
        s.tableRefused = !s.curve;
    }
    s.tableNotRead = (s.params.LinEnable & 1) && !form_.linTableKnown();
    // The rows the pages mark; measured against a file when nothing was read from the indicator.
    for (const qv7::ParamRow* row : session.changedRows())
        s.marked.insert(row->key);
    if (!session.origin().isEmpty()) s.markReference = QFileInfo(session.origin()).fileName();
    return s;
}

void TSheetPrint::print() {
    if (!form_.Session().hasReference()) {
        // The pages hold nothing of an indicator yet: a sheet of them would be a blank form.
        qv7::showMessage(tr("Rien à imprimer : aucun paramètre lu ni chargé"));
        return;
    }
    // The sheet draws the curve the indicator holds: the table is read first when it is on and was
    // not read (a sheet of a loaded file without an indicator says it was not read).
    if ((form_.Session().edited().LinEnable & 1) && !form_.linTableKnown() && form_.connected() &&
        form_.Session().transfer() == TSession::Transfer::Idle) {
        form_.ReadLinForSheet([this] { qv7::runGuarded([this] { printSheet(); }); });
        return;
    }
    printSheet();
}

void TSheetPrint::printSheet() {
    const qv7::sheet::SheetContent content = qv7::sheet::buildSheet(currentSheet());
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(content.title);
    printer.setPageLayout(qv7::sheet::sheetPageLayout(qv7::sheet::Paper::A4));
    if (!askPrinter || !askPrinter(printer)) return;
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        const QString path = printer.outputFileName();
        const QByteArray pdf = qv7::sheet::sheetPdf(content, printer.pageLayout(), content.title);
        if (const int error = qv7::saveWholeFile(qv7::fileNameBytes(path), pdf.toStdString()); error != 0)
            throw qv7::EInOutError::cannotCreate(path.toStdString(), error);
        return;
    }
    qv7::sheet::paintSheet(printer, content);
}
