#include "cli/DeviceCommands.h"

#include "cli/Output.h"
#include "cli/Session.h"
#include "cli/Watch.h"

#include <QJsonObject>
#include <QStringList>

namespace qv7::cli {

namespace {

// The command register's code for each adjustment, in the service page's order.
const QStringList Targets = {"zero1", "fullscale1", "zero2", "fullscale2"};

} // namespace

int commandAdjust(const Options& options) {
    const QString target = options.arguments.first();
    const int code = static_cast<int>(Targets.indexOf(target)) + 1;
    if (code < 1) throw CliError{ExitUsage, QStringLiteral("unknown adjustment \"%1\"").arg(target)};
    Session session(options);
    session.open();
    session.readAll(); // the model for the report, and proof that this is an indicator that answers
    session.adjust(code);
    print(QStringLiteral("%1: %2 taken (holding register 1000 := %3)\n")
              .arg(session.modelName(), target)
              .arg(code));
    if (options.watch) return watchAdc(session, options);
    return ExitOk;
}

int commandAdc(const Options& options) {
    Session session(options);
    session.open();
    if (options.watch) return watchAdc(session, options);
    const auto [adc1, adc2] = session.readAdc();
    if (options.json)
        printJson(
            QJsonObject{{"adc1", shortestText(adc1).toDouble()}, {"adc2", shortestText(adc2).toDouble()}});
    else
        print(QStringLiteral("adc1 %1\nadc2 %2\n").arg(shortestText(adc1), shortestText(adc2)));
    return ExitOk;
}

} // namespace qv7::cli
