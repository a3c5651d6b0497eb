#include "cli/Commands.h"

#include "base/Errors.h"
#include "cli/AllDevices.h"
#include "cli/DeviceCommands.h"
#include "cli/EditCommands.h"
#include "cli/FitCommands.h"
#include "cli/LinCommands.h"
#include "cli/Output.h"
#include "cli/ParamFields.h"
#include "cli/Report.h"
#include "cli/Session.h"
#include "cli/SheetCommand.h"
#include "indicator/FileAccess.h"
#include "indicator/ParamFile.h"
#include "indicator/ParamSend.h"

#include <QCryptographicHash>
#include <QFile>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstring>

#include <cstdio>
#include <optional>

#include <unistd.h>

namespace qv7::cli {

QString sha256Hex(QByteArrayView bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

namespace {

CliError rejected(const QString& path, ParamLoadResult result, const QString& why) {
    return CliError{
        ExitFileError,
        QStringLiteral("%1: %2 (%3)").arg(path, quoted(english("ParamFile", paramLoadText(result))), why)};
}

} // namespace

std::string readInputFile(const QString& path, std::size_t cap, std::size_t keep, const char* what) {
    const FileRead read = readBoundedFile(fileNameBytes(path), cap, keep);
    if (read.refusal == FileRead::Refusal::NotRegular)
        throw CliError{ExitFileError, QStringLiteral("%1: not a regular file").arg(path)};
    if (read.refusal == FileRead::Refusal::TooLarge)
        throw CliError{ExitFileError, QStringLiteral("%1: larger than any %2 (%3 bytes at most)")
                                          .arg(path, QString::fromLatin1(what))
                                          .arg(cap)};
    if (read.error != 0)
        throw CliError{ExitFileError,
                       QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(read.error)))};
    return read.bytes;
}

QByteArray readParamFile(const QString& path, QString* sha256) {
    QByteArray head = QByteArray::fromStdString(
        readInputFile(path, ParamFileCap, sha256 ? ParamFileCap : TParamImage::Size, "parameter file"));
    if (sha256) *sha256 = sha256Hex(head);
    head.truncate(TParamImage::Size);
    if (head.size() < static_cast<qsizetype>(TParamImage::Size))
        throw rejected(
            path, ParamLoadResult::Incorrect,
            QStringLiteral("the file holds %1 bytes; a parameter file holds 200").arg(head.size()));
    if (!hasParamMagic(std::span(reinterpret_cast<const std::uint8_t*>(head.constData()), 21)))
        throw rejected(path, ParamLoadResult::Incorrect,
                       QStringLiteral("it does not start with \"[QV7] File V1.0-RKWB\""));
    return head;
}

TParamImage imageOfParamFile(const QByteArray& head) {
    return TParamImage::fromBytes(std::span<const std::uint8_t, TParamImage::Size>(
        reinterpret_cast<const std::uint8_t*>(head.constData()), TParamImage::Size));
}

namespace {

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

} // namespace

QList<FieldDifference> differencesFromFile(const QString& path, const QByteArray& head,
                                           const TParamImage& actual) {
    return compareParams(asSent(checkAgainst(path, head, actual.DeviceType)), actual);
}

namespace {

QJsonArray differencesJson(const QList<FieldDifference>& differences) {
    QJsonArray out;
    for (const FieldDifference& d : differences)
        out.append(QJsonObject{{"key", d.key},
                               {"label", d.label},
                               {"file", d.expected},
                               {"indicator", d.actual},
                               {"fileRaw", d.expectedRaw},
                               {"indicatorRaw", d.actualRaw}});
    return out;
}

// The indicator's own description (the bridge's text) stays apart from the USB strings.
QJsonObject deviceJson(const DeviceInfo& info, const QString& line) {
    return QJsonObject{{"index", info.index},     {"serial", info.serial},
                       {"path", info.path},       {"manufacturer", info.manufacturer},
                       {"product", info.product}, {"description", line.section(QStringLiteral(": "), 1)}};
}

int commandList(const Options& options) {
    Session session(options);
    const QList<DeviceInfo> devices = session.devices();
    const QStringList lines = session.describeDevices();
    if (lines.isEmpty()) throw CliError{ExitNoDevice, QStringLiteral("no indicator attached")};
    if (!options.json) {
        print(lines.join('\n') + '\n');
        return ExitOk;
    }
    QJsonArray array;
    for (qsizetype i = 0; i < devices.size() && i < lines.size(); ++i)
        array.append(deviceJson(devices[i], lines[i]));
    printJson(QJsonObject{{"devices", array}});
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
            if (options.outcome) options.outcome->paramSha256 = paramFileSha256(params);
        } catch (const EInOutError& e) {
            throw CliError{ExitFileError, QStringLiteral("%1: cannot save the parameters: %2")
                                              .arg(options.output, fileErrorText(e, true))};
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
    const TParamImage image = imageOfParamFile(readParamFile(options.arguments.first()));
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

// A file that turns linearisation on relies on the indicator's table; without --lin it is not sent.
void warnOfUnsentTable(const QString& path, const TParamImage& image) {
    if (image.LinEnable & 1)
        std::fprintf(stderr,
                     "qv7ctl: warning: %s turns linearisation on, but no table is written with it "
                     "(give --lin FILE.LIN to write one)\n",
                     qPrintable(path));
}

// write --lin: the table goes first, so that the parameters that switch it on find it in place; the
// table's point count then stands in the parameters too.
QStringList writeTableFirst(const Options& options, const LinToWrite& lin, TParamImage& image,
                            Session& session) {
    const QStringList differing = writeLinVerified(session, lin);
    image.LinLastPoint = lin.lastPoint;
    if (!differing.isEmpty())
        std::fprintf(stderr, "qv7ctl: %lld point(s) read back differ from %s\n",
                     static_cast<long long>(differing.size()), qPrintable(options.lin));
    return differing;
}

// A record with a code its type word's indicator does not offer, or a value its register cannot
// carry back, is refused before anything is sent, naming the parameter.
void refuseUnsendable(const QString& path, const TParamImage& image) {
    const auto fault = paramSendFault(image);
    if (!fault) return;
    const QString what = fault->kind == ParamSendFault::Kind::NotOffered
                             ? QStringLiteral("holds code %1, which this indicator type does not offer")
                             : QStringLiteral("holds %1, more than its register carries");
    throw CliError{ExitFileError,
                   QStringLiteral("%1: %2 (%3) %4; nothing was sent")
                       .arg(path, QString::fromStdString(fault->row->key),
                            QString::fromStdString(fault->row->english), what.arg(fault->raw))};
}

int commandWrite(const Options& options) {
    const QString path = options.arguments.first();
    QString sha256;
    const QByteArray head = readParamFile(path, &sha256);
    refuseUnsendable(path, imageOfParamFile(head));
    const std::optional<LinToWrite> lin =
        options.lin.isEmpty() ? std::nullopt : std::optional(linToWrite(options.lin));
    Session session(options);
    TParamImage image = fileCheckedAgainstIndicator(path, head, session);
    if (options.outcome) {
        options.outcome->paramSha256 = sha256;
        if (lin) options.outcome->tableSha256 = lin->sha256;
    }
    if (!lin) warnOfUnsentTable(path, image);
    const QStringList tableDifferences = lin ? writeTableFirst(options, *lin, image, session) : QStringList();
    session.writeAll(image);
    session.readAll();
    const QList<FieldDifference> differences = compareParams(image, session.params());
    const bool same = differences.isEmpty() && tableDifferences.isEmpty();
    if (options.outcome)
        options.outcome->differences =
            differencesText(differences, QStringLiteral("wrote"), QStringLiteral("read back"))
                .split('\n', Qt::SkipEmptyParts) +
            tableDifferences;
    if (options.json) {
        QJsonObject out{{"written", path},
                        {"differences", differencesJson(differences)},
                        {"readBack", paramsJson(session.params(), session.modelName())}};
        if (lin)
            out.insert("table", QJsonObject{{"written", options.lin},
                                            {"differences", QJsonArray::fromStringList(tableDifferences)}});
        printJson(out);
    } else if (same) {
        print(QStringLiteral("%1 written to %2; every field read back as written\n")
                  .arg(path, session.modelName()) +
              (lin ? QStringLiteral("%1 written first: %2 points, every point read back as written\n")
                         .arg(options.lin)
                         .arg(lin->lastPoint + 1)
                   : QString()));
    } else {
        print(differencesText(differences, QStringLiteral("wrote"), QStringLiteral("read back")) +
              (tableDifferences.isEmpty() ? QString() : tableDifferences.join('\n') + '\n'));
    }
    if (options.stats) printStats(session);
    if (!differences.isEmpty())
        std::fprintf(stderr, "qv7ctl: %lld field(s) read back differ from %s\n",
                     static_cast<long long>(differences.size()), qPrintable(path));
    return same ? ExitOk : ExitDifference;
}

int commandDiff(const Options& options) {
    const QString path = options.arguments.first();
    QString sha256;
    const QByteArray head = readParamFile(path, &sha256);
    Session session(options);
    session.open();
    session.readAll();
    const QList<FieldDifference> differences = differencesFromFile(path, head, session.params());
    if (options.outcome) options.outcome->paramSha256 = sha256;
    if (options.outcome)
        options.outcome->differences =
            differencesText(differences, QStringLiteral("file"), QStringLiteral("indicator"))
                .split('\n', Qt::SkipEmptyParts);
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
    // A saved file or a capture on standard output is all that goes there.
    const auto onStdout = [](const QString& path) {
        return !path.isEmpty() && heldStream(fileNameBytes(path)) == STDOUT_FILENO;
    };
    setListingToStderr(onStdout(options.output) || onStdout(options.capture));
    if (options.all) return runOnAll(options);
    if (wantsRecord(options)) return runRecorded(options);
    if (c == "list") return commandList(options);
    if (c == "adjust") return commandAdjust(options);
    if (c == "adc") return commandAdc(options);
    if (c == "set") return commandSet(options);
    if (c == "report") return commandReport(options);
    if (c == "import") return commandImport(options);
    if (c == "read") return commandRead(options);
    if (c == "show") return commandShow(options);
    if (c == "write") return commandWrite(options);
    if (c == "diff") return commandDiff(options);
    if (c == "lin-read") return commandLinRead(options);
    if (c == "lin-write") return commandLinWrite(options);
    if (c == "lin-show") return commandLinShow(options);
    if (c == "lin-fit") return commandLinFit(options);
    if (c == "sheet") return commandSheet(options);
    if (c == "udev-rule") {
        print(udevRule());
        return ExitOk;
    }
    throw CliError{ExitUsage, QStringLiteral("unknown command \"%1\"").arg(c)};
}

} // namespace qv7::cli
