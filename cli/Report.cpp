#include "cli/Report.h"

#include "base/Errors.h"
#include "cli/AllDevices.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/ParamFields.h"
#include "cli/Session.h"
#include "indicator/FileAccess.h"
#include "indicator/LinCurve.h"
#include "indicator/LinFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>

#include <hidapi/hidapi.h>
#include <modbus.h>

#include <cstring>
#include <exception>

namespace qv7::cli {

namespace {

const QStringList UdevRulePlaces = {"/etc/udev/rules.d/70-qv7.rules", "/usr/lib/udev/rules.d/70-qv7.rules",
                                    "/lib/udev/rules.d/70-qv7.rules"};

QString systemError(int error) {
    return saveErrorText(error);
}

void put(const QDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    const int error = saveWholeFile(
        fileNameBytes(path), std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (error != 0) throw CliError{ExitFileError, QStringLiteral("%1: %2").arg(path, systemError(error))};
}

QString versionsText() {
    return QStringLiteral("qv7ctl %1\nQt %2 (built with %3)\nhidapi %4 (built with %5)\n"
                          "libmodbus %6.%7.%8 (built with %9)\nkernel %10 %11\nsystem %12\n")
        .arg(QStringLiteral(QV7_VERSION), QString::fromLatin1(qVersion()), QStringLiteral(QT_VERSION_STR),
             QString::fromLatin1(hid_version_str()), QStringLiteral(HID_API_VERSION_STR))
        .arg(libmodbus_version_major)
        .arg(libmodbus_version_minor)
        .arg(libmodbus_version_micro)
        .arg(QStringLiteral(LIBMODBUS_VERSION_STRING), QSysInfo::kernelType(), QSysInfo::kernelVersion(),
             QSysInfo::prettyProductName());
}

// Where the rule is installed, and whether it is the one this program ships.
QString udevText() {
    QString text;
    for (const QString& place : UdevRulePlaces) {
        QFile file(place);
        if (!file.open(QIODevice::ReadOnly)) continue;
        const bool same = QString::fromUtf8(file.readAll()) == udevRule();
        text += QStringLiteral("udev rule: %1 (%2)\n")
                    .arg(place, same ? QStringLiteral("as shipped")
                                     : QStringLiteral("differs from the shipped one"));
    }
    return text.isEmpty() ? QStringLiteral("udev rule: not installed (see \"qv7ctl udev-rule\")\n") : text;
}

// Each device with its strings and whether this user may read and write its node.
QString devicesText(Session& session) {
    QString text = udevText();
    const QList<DeviceInfo> devices = session.devices();
    const QStringList lines = session.describeDevices();
    text += QStringLiteral("%1 indicator(s) attached\n").arg(devices.size());
    for (qsizetype i = 0; i < devices.size(); ++i) {
        const DeviceInfo& d = devices[i];
        const QFileInfo node(d.path);
        const QString access = !node.exists() ? QStringLiteral("not a device node")
                               : node.isReadable() && node.isWritable()
                                   ? QStringLiteral("this user may read and write it")
                                   : QStringLiteral("this user may NOT read and write it");
        text += QStringLiteral("%1\n  serial %2, path %3 (%4), manufacturer \"%5\", product \"%6\"\n")
                    .arg(lines.value(i), d.serial, d.path, access, d.manufacturer, d.product);
    }
    return text;
}

// The traced read-all and the table read; whatever was read before a failure is kept.
void readIndicator(Session& session, const QDir& dir, QString& trace) {
    session.setTraceSink([&trace](const std::string& line) { trace += QString::fromStdString(line) + '\n'; });
    session.open();
    session.readAll();
    TParamImage params = session.params();
    saveParamFile(dir.filePath("parameters.QV"), params);
    put(dir, "parameters.txt", paramsText(session.params(), session.modelName()).toUtf8());
    session.setTraceSink(nullptr); // the trace is of the read-all only
    const TLinTable table = session.readLin();
    const int lastPoint = session.params().LinLastPoint;
    put(dir, "table.txt", linTableText(table, lastPoint).toUtf8());
    if (const auto curve = linCurveFromTable(table, lastPoint))
        saveLinFile(dir.filePath("table.LIN"), *curve);
}

// tar writes into the temporary folder; the archive then replaces `output` whole, so a failed run
// leaves no half archive behind.
void makeArchive(const QString& folder, const QString& output) {
    const QString made = QFileInfo(folder).path() + QStringLiteral("/report.tar.gz");
    QProcess tar;
    tar.setWorkingDirectory(QFileInfo(folder).path());
    tar.start(QStringLiteral("tar"), {"-czf", made, QFileInfo(folder).fileName()});
    if (!tar.waitForFinished(60000) || tar.exitStatus() != QProcess::NormalExit || tar.exitCode() != 0)
        throw CliError{ExitFileError,
                       QStringLiteral("%1: tar failed: %2")
                           .arg(output, QString::fromLocal8Bit(tar.readAllStandardError()).trimmed())};
    QFile archive(made);
    if (!archive.open(QIODevice::ReadOnly))
        throw CliError{ExitFileError, QStringLiteral("%1: %2").arg(made, archive.errorString())};
    const QByteArray bytes = archive.readAll();
    if (archive.error() != QFileDevice::NoError)
        throw CliError{ExitFileError, QStringLiteral("%1: %2").arg(made, archive.errorString())};
    const int error = saveWholeFile(
        fileNameBytes(output), std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (error != 0) throw CliError{ExitFileError, QStringLiteral("%1: %2").arg(output, systemError(error))};
}

} // namespace

int commandReport(const Options& options) {
    QTemporaryDir work;
    if (!work.isValid())
        throw CliError{ExitFileError, QStringLiteral("no temporary folder: ") + work.errorString()};
    const QDir dir(work.filePath("qv7-report"));
    if (!QDir().mkpath(dir.path()))
        throw CliError{ExitFileError, QStringLiteral("cannot create ") + dir.path()};
    put(dir, "versions.txt", versionsText().toUtf8());
    QString error, trace;
    int code = ExitOk;
    {
        Session listing(options);
        put(dir, "devices.txt", devicesText(listing).toUtf8());
    }
    {
        // A session of its own: the listing opened and closed every indicator in turn.
        Session session(options);
        try {
            readIndicator(session, dir, trace);
        } catch (const CliError& e) {
            error = e.message, code = e.exitCode;
        } catch (const EInOutError& e) {
            error = quoted(errorText(e)), code = ExitFileError;
        } catch (const std::exception& e) {
            error = QStringLiteral("internal error: ") + errorText(e), code = ExitInternal;
        }
    }
    put(dir, "read-all-trace.txt", trace.toUtf8());
    if (!error.isEmpty()) put(dir, "errors.txt", (error + '\n').toUtf8());
    makeArchive(dir.path(), options.output);
    print(QStringLiteral("%1 written%2\n")
              .arg(options.output,
                   error.isEmpty() ? QString() : QStringLiteral(" (the indicator could not be read)")));
    if (code != ExitOk) throw CliError{code, error};
    return ExitOk;
}

} // namespace qv7::cli
