#include "cli/Commands.h"

#include "base/Errors.h"
#include "cli/LinCommands.h"
#include "cli/Output.h"
#include "cli/ParamFields.h"
#include "cli/Session.h"
#include "indicator/ParamFile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace qv7::cli {

namespace {

CliError rejected(const QString& path, ParamLoadResult result, const QString& why) {
    return CliError{ExitFileError, QStringLiteral("%1: %2 (%3)").arg(path, paramLoadMessage(result), why)};
}

// The first 200 bytes of a parameter file after the checks that need no indicator: length and magic.
QByteArray readParamFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw CliError{ExitFileError, QStringLiteral("%1: %2").arg(path, file.errorString())};
    const QByteArray head = file.read(TParamImage::Size);
    if (head.size() < static_cast<qsizetype>(TParamImage::Size))
        throw rejected(
            path, ParamLoadResult::Incorrect,
            QStringLiteral("the file holds %1 bytes; a parameter file holds 200").arg(head.size()));
    if (!hasParamMagic(std::span(reinterpret_cast<const std::uint8_t*>(head.constData()), 21)))
        throw rejected(path, ParamLoadResult::Incorrect,
                       QStringLiteral("it does not start with \"[QV7] File V1.0-RKWB\""));
    return head;
}

// The file's record, checked against the indicator's type word as the window's load does.
TParamImage checkAgainst(const QString& path, const QByteArray& head, std::uint32_t deviceType) {
    TParamImage image;
    const ParamLoadResult result = checkParamBytes(head, deviceType, image);
    if (result != ParamLoadResult::Loaded) {
        const TParamImage other = TParamImage::fromBytes(std::span<const std::uint8_t, TParamImage::Size>(
            reinterpret_cast<const std::uint8_t*>(head.constData()), TParamImage::Size));
        throw rejected(path, result,
                       QStringLiteral("file type word 0x%1, indicator 0x%2")
                           .arg(other.DeviceType, 4, 16, QLatin1Char('0'))
                           .arg(deviceType, 4, 16, QLatin1Char('0')));
    }
    return image;
}

// The record as the indicator is to receive it. The window keeps 2 in the record for "the menu and
// the function keys" and sends that level as 3, the indicator's own code; a file it saved reaches the
// indicator the same way from here, and compares equal to an indicator that holds 3.
TParamImage asSent(TParamImage image) {
    if (image.Protection == 2) image.Protection = 3;
    return image;
}

TParamImage imageOf(const QByteArray& head) {
    return TParamImage::fromBytes(std::span<const std::uint8_t, TParamImage::Size>(
        reinterpret_cast<const std::uint8_t*>(head.constData()), TParamImage::Size));
}

QJsonArray differencesJson(const QList<FieldDifference>& differences) {
    QJsonArray out;
    for (const FieldDifference& d : differences)
        out.append(
            QJsonObject{{"key", d.key}, {"label", d.label}, {"file", d.expected}, {"indicator", d.actual}});
    return out;
}

QString differencesText(const QList<FieldDifference>& differences, const QString& left,
                        const QString& right) {
    QString text;
    for (const FieldDifference& d : differences)
        text += QStringLiteral("%1: %2 %3, %4 %5\n").arg(d.label, left, d.expected, right, d.actual);
    return text;
}

int commandList(const Options& options) {
    Session session(options);
    const QStringList lines = session.describeDevices();
    if (lines.isEmpty()) throw CliError{ExitNoDevice, QStringLiteral("no indicator attached")};
    print(lines.join('\n') + '\n');
    return ExitOk;
}

int commandRead(const Options& options) {
    Session session(options);
    session.open();
    session.readAll();
    TParamImage params = session.params();
    if (!options.output.isEmpty()) {
        try {
            saveParamFile(options.output, params);
        } catch (const EInOutError& e) {
            throw CliError{ExitFileError, QString::fromStdString(e.what())};
        }
    }
    if (options.json)
        printJson(paramsJson(params, session.modelName()));
    else
        print(paramsText(params, session.modelName()));
    if (options.stats) printStats(session);
    return ExitOk;
}

int commandShow(const Options& options) {
    const TParamImage image = imageOf(readParamFile(options.arguments.first()));
    if (options.json)
        printJson(paramsJson(image, {}));
    else
        print(paramsText(image, {}));
    return ExitOk;
}

// Opens and reads the indicator, then checks the file's bytes against its type word: the record as
// the window would send it. A refused file raises before anything is sent.
TParamImage fileCheckedAgainstIndicator(const QString& path, const QByteArray& head, Session& session) {
    session.open();
    session.readAll();
    return asSent(checkAgainst(path, head, session.params().DeviceType));
}

int commandWrite(const Options& options) {
    const QString path = options.arguments.first();
    const QByteArray head = readParamFile(path);
    Session session(options);
    const TParamImage image = fileCheckedAgainstIndicator(path, head, session);
    session.writeAll(image);
    session.readAll();
    const QList<FieldDifference> differences = compareParams(image, session.params());
    if (options.json) {
        QJsonObject out{{"written", path},
                        {"differences", differencesJson(differences)},
                        {"readBack", paramsJson(session.params(), session.modelName())}};
        printJson(out);
    } else if (differences.isEmpty()) {
        print(QStringLiteral("%1 written to %2; every field read back as written\n")
                  .arg(path, session.modelName()));
    } else {
        print(differencesText(differences, QStringLiteral("wrote"), QStringLiteral("read back")));
    }
    if (options.stats) printStats(session);
    if (!differences.isEmpty())
        std::fprintf(stderr, "qv7ctl: %lld field(s) read back differ from %s\n",
                     static_cast<long long>(differences.size()), qPrintable(path));
    return differences.isEmpty() ? ExitOk : ExitDifference;
}

int commandDiff(const Options& options) {
    const QString path = options.arguments.first();
    const QByteArray head = readParamFile(path);
    Session session(options);
    const TParamImage image = fileCheckedAgainstIndicator(path, head, session);
    const QList<FieldDifference> differences = compareParams(image, session.params());
    if (options.json)
        printJson(QJsonObject{{"differences", differencesJson(differences)}});
    else
        print(differencesText(differences, QStringLiteral("file"), QStringLiteral("indicator")));
    return differences.isEmpty() ? ExitOk : ExitDifference;
}

} // namespace

QString udevRule() {
    QFile file(QStringLiteral(":/qv7ctl/70-qv7.rules"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

int runCommand(const Options& options) {
    const QString& c = options.command;
    if (c == "list") return commandList(options);
    if (c == "read") return commandRead(options);
    if (c == "show") return commandShow(options);
    if (c == "write") return commandWrite(options);
    if (c == "diff") return commandDiff(options);
    if (c == "lin-read") return commandLinRead(options);
    if (c == "lin-write") return commandLinWrite(options);
    if (c == "lin-show") return commandLinShow(options);
    if (c == "udev-rule") {
        print(udevRule());
        return ExitOk;
    }
    throw CliError{ExitUsage, QStringLiteral("unknown command \"%1\"").arg(c)};
}

} // namespace qv7::cli
