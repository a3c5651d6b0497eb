// qv7ctl: the command-line companion of qv7cfg. Parses the command line, runs one command inside a
// QCoreApplication (the component's events arrive through its event loop) and maps failures to the
// exit codes that --help lists.
#include "base/SignalPipe.h"
#include "cli/AllDevices.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/Session.h"
#include "cli/SheetCommand.h"
#include "indicator/FileAccess.h"

#include <QCoreApplication>
#include <QTranslator>

#include <csignal>
#include <cstdio>

using namespace qv7::cli;

int main(int argc, char** argv) {
    // File names are taken exactly: QCoreApplication::arguments() would replace the bytes of a name
    // that are no UTF-8, and the file would then not be found or be made under another name.
    const ParseResult parsed = parseOptions(qv7::commandLineArguments(argc, argv));
    const auto app = makeApplication(parsed.options ? parsed.options->command : QString(), argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qv7ctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QV7_VERSION));
    // The tool's fixed texts (file errors, the .LIN and parameter files' messages) are French;
    // qv7ctl says them in the window's English.
    QTranslator english;
    if (english.load(QStringLiteral(":/i18n/qv7cfg_en.qm"))) QCoreApplication::installTranslator(&english);
    if (!parsed.options) {
        std::fprintf(stderr, "qv7ctl: %s\nTry \"qv7ctl --help\".\n", qPrintable(parsed.error));
        return closeOutputs(ExitUsage);
    }
    const Options& options = *parsed.options;
    if (options.help) {
        std::fputs(helpText().toUtf8().constData(), stdout);
        return closeOutputs(ExitOk);
    }
    if (options.version) {
        std::printf("qv7ctl %s\n", QV7_VERSION);
        return closeOutputs(ExitOk);
    }
    QString error;
    int code = runCaught(options, error);
    if (code == ExitOk && (simulatorStateUnsaved() || captureUnsaved()))
        code = ExitFileError; // said when it failed
    if (!error.isEmpty()) std::fprintf(stderr, "qv7ctl: %s\n", error.toUtf8().constData());
    // A signal that came after the last exchange with the indicator stopped nothing, but it asked
    // the program to end: the exit code says so, as it says any other. Ctrl+C is a watch's own end.
    if (const int number = endSignal(); number != 0 && code < 128 && !(options.watch && number == SIGINT)) {
        std::fprintf(stderr, "qv7ctl: %s came after the last exchange with the indicator\n",
                     qv7::signalName(number).c_str());
        code = 128 + number;
    }
    return closeOutputs(code);
}
