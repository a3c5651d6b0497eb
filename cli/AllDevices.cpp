#include "cli/AllDevices.h"

#include "base/Errors.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/Session.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <exception>

namespace qv7::cli {

int runCaught(const Options& options, QString& error) {
    try {
        return runCommand(options);
    } catch (const CliError& e) {
        error = e.message;
        return e.exitCode;
    } catch (const qv7::EInOutError& e) {
        error = quoted(QString::fromUtf8(e.what()));
        return ExitFileError;
    } catch (const std::exception& e) {
        // Not the indicator's doing: memory, a pseudo-terminal of the simulator, a range check.
        error = QStringLiteral("internal error: ") + QString::fromUtf8(e.what());
        return ExitInternal;
    }
}

QString perDeviceName(const QString& path, const QString& serial) {
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    const QString dir = info.path() == "." && !path.startsWith("./") ? QString() : info.path() + '/';
    const QString base = suffix.isEmpty() ? info.fileName() : info.completeBaseName();
    return dir + base + '-' + serial + (suffix.isEmpty() ? QString() : '.' + suffix);
}

namespace {

// The serial numbers in --device order, from one enumeration.
QList<DeviceInfo> attached(const Options& options) {
    Session session(options);
    return session.devices();
}

// A serial number fit for a file name and a result line: what the bridge reports, else the index.
QString nameOf(const DeviceInfo& info) {
    QString serial = info.serial;
    serial.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_.-]")), QStringLiteral("_"));
    return serial.isEmpty() ? QStringLiteral("device%1").arg(info.index) : serial;
}

} // namespace

int runOnAll(const Options& options) {
    const QList<DeviceInfo> devices = attached(options);
    if (devices.isEmpty()) throw CliError{ExitNoDevice, QStringLiteral("no indicator attached")};
    int worst = ExitOk;
    int failed = 0;
    for (const DeviceInfo& info : devices) {
        DeviceOutcome outcome;
        Options one = options;
        one.all = false;
        one.device = info.index;
        one.outcome = &outcome;
        if (!options.output.isEmpty()) one.output = perDeviceName(options.output, nameOf(info));
        QString error;
        setQuiet(true);
        const int code = runCaught(one, error);
        setQuiet(false);
        QString result = code == ExitOk ? QStringLiteral("ok") : QStringLiteral("failed (exit %1)").arg(code);
        if (code == ExitOk && !one.output.isEmpty()) result += QStringLiteral(", saved to ") + one.output;
        if (!error.isEmpty()) result += QStringLiteral(": ") + error;
        printAlways(
            QStringLiteral("%1 %2 %3\n")
                .arg(nameOf(info), outcome.model.isEmpty() ? QStringLiteral("-") : outcome.model, result));
        worst = std::max(worst, code);
        failed += code == ExitOk ? 0 : 1;
    }
    printAlways(QStringLiteral("%1: %2 indicator(s), %3 ok, %4 failed\n")
                    .arg(options.command)
                    .arg(devices.size())
                    .arg(devices.size() - failed)
                    .arg(failed));
    return worst;
}

} // namespace qv7::cli
