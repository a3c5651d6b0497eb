#include "cli/SheetCommand.h"

#include "base/Errors.h"
#include "base/Files.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/Session.h"
#include "indicator/FileAccess.h"
#include "indicator/LinCurve.h"
#include "sheet/SheetPainter.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QLoggingCategory>

#include <cstring>

namespace qv7::cli {

namespace {

using qv7::sheet::SheetSource;

// A parameter file's record, with the curve of --table when given.
void sheetOfFile(const Options& options, SheetSource& s) {
    s.params = imageOfParamFile(readParamFile(options.arguments.first()));
    if (options.table.isEmpty()) return;
    const LinLoadResult lin = loadLinFile(options.table);
    if (!lin.ok())
        throw CliError{ExitFileError, QStringLiteral("%1: %2").arg(options.table, quoted(lin.error))};
    s.curve = lin.points;
    s.curveFile = QFileInfo(options.table).fileName();
}

// The serial number of the indicator --serial or --device picks, as USB reports it.
QString serialOf(const Options& options, Session& session) {
    if (!options.serial.isEmpty()) return options.serial;
    for (const DeviceInfo& info : session.devices())
        if (info.index == options.device) return info.serial;
    return {};
}

// The indicator's record, read now, and its table when linearisation is on.
void sheetOfIndicator(const Options& options, SheetSource& s) {
    Session session(options);
    s.serial = serialOf(options, session);
    session.open();
    session.readAll();
    s.params = session.params();
    s.modelName = session.modelName();
    if (options.outcome) {
        options.outcome->model = s.modelName;
        options.outcome->typeWord = static_cast<int>(s.params.DeviceType);
    }
    if (!(s.params.LinEnable & 1)) return;
    const TLinTable table = session.readLin();
    s.curve = linCurveFromTable(table, s.params.LinLastPoint & 0x1F);
    s.tableRefused = !s.curve;
}

// The keys of the rows diff lists against the reference file; the sheet of a parameter file stands
// for the record it would send.
void markAgainst(const Options& options, SheetSource& s) {
    const TParamImage actual = options.arguments.isEmpty() ? s.params : asSent(s.params);
    for (const FieldDifference& d :
         differencesFromFile(options.against, readParamFile(options.against), actual))
        s.marked.insert(d.key.toStdString());
    s.markReference = QFileInfo(options.against).fileName();
}

} // namespace

int commandSheet(const Options& options) {
    SheetSource s;
    s.language = options.lang == "fr" ? sheet::SheetLanguage::French : sheet::SheetLanguage::English;
    s.version = QStringLiteral("qv7ctl %1").arg(QStringLiteral(QV7_VERSION));
    s.time = QDateTime::currentDateTime();
    if (options.arguments.isEmpty())
        sheetOfIndicator(options, s);
    else
        sheetOfFile(options, s);
    if (!options.against.isEmpty()) markAgainst(options, s);
    const QByteArray pdf = sheet::sheetPdf(
        sheet::buildSheet(s),
        sheet::sheetPageLayout(options.paper == "letter" ? sheet::Paper::Letter : sheet::Paper::A4),
        QFileInfo(options.output).completeBaseName());
    const int error = saveWholeFile(fileNameBytes(options.output),
                                    std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size())));
    if (error != 0)
        throw CliError{
            ExitFileError,
            QStringLiteral("%1: cannot save the sheet: %2").arg(options.output, saveErrorText(error))};
    // On standard output the PDF's bytes are all there is to say.
    if (heldStream(fileNameBytes(options.output)) < 0)
        print(QStringLiteral("sheet saved to %1\n").arg(options.output));
    return ExitOk;
}

std::unique_ptr<QCoreApplication> makeApplication(const QString& command, int& argc, char** argv) {
    if (command != "sheet") return std::make_unique<QCoreApplication>(argc, argv);
    // The sheet draws text for a PDF, never on a screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt Gui looks into the session's runtime folder while it starts and warns where there is none
    // (a service, a cron job): the sheet needs nothing there, so that start says nothing.
    QLoggingCategory::setFilterRules(QStringLiteral("default.warning=false"));
    auto app = std::make_unique<QGuiApplication>(argc, argv);
    QLoggingCategory::setFilterRules(QString());
    return app;
}

} // namespace qv7::cli
