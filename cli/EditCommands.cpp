#include "cli/EditCommands.h"

#include "base/Errors.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/ParamEdit.h"
#include "cli/Session.h"
#include "indicator/FileAccess.h"
#include "indicator/ParamFile.h"
#include "proto/ParamTable.h"

#include <QFile>

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <optional>

namespace qv7::cli {

namespace {

void save(const QString& path, TParamImage& image) {
    try {
        saveParamFile(path, image);
    } catch (const EInOutError& e) {
        throw CliError{ExitFileError,
                       QStringLiteral("%1: cannot save the parameters: %2").arg(path, fileErrorText(e))};
    }
}

// One KEY=VALUE applied to `image`; a usage error names the assignment that is refused.
void assign(TParamImage& image, const QString& assignment) {
    const qsizetype equals = assignment.indexOf('=');
    if (equals <= 0) throw CliError{ExitUsage, QStringLiteral("\"%1\" is not KEY=VALUE").arg(assignment)};
    const QString key = assignment.left(equals);
    QString error;
    const auto value = parseValue(key, assignment.mid(equals + 1), error);
    if (!value) throw CliError{ExitUsage, error};
    // The type word comes from the file: the pages shown depend on it.
    if (QString why = storePageValue(image, key, *value); !why.isEmpty())
        throw CliError{ExitUsage, QStringLiteral("%1: %2").arg(assignment, why)};
}

// A JSON number with no fraction, within what a record's field can hold at most.
std::optional<qint64> wholeNumber(const QJsonValue& value) {
    if (!value.isDouble()) return std::nullopt;
    const double number = value.toDouble();
    if (!(number >= -4294967296.0 && number <= 4294967296.0) || std::trunc(number) != number)
        return std::nullopt;
    return static_cast<qint64>(number);
}

QJsonObject readJson(const QString& path) {
    const std::string bytes = readInputFile(path, JsonFileCap, JsonFileCap, "parameter set");
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(bytes), &parseError);
    if (!document.isObject())
        throw CliError{ExitFileError,
                       QStringLiteral("%1: not a JSON object (%2)").arg(path, parseError.errorString())};
    return document.object();
}

} // namespace

int commandSet(const Options& options) {
    const QString path = options.arguments.first();
    TParamImage image = imageOfParamFile(readParamFile(path));
    for (const QString& assignment : options.arguments.mid(1))
        assign(image, assignment);
    save(path, image);
    print(QStringLiteral("%1: %2 field(s) set\n").arg(path).arg(options.arguments.size() - 1));
    return ExitOk;
}

int commandImport(const Options& options) {
    const QString path = options.arguments.first();
    const QJsonObject root = readJson(path);
    const QJsonValue typeWord = root.value("typeWord");
    if (!typeWord.isDouble() || typeWord.toInteger(-1) < 0 || typeWord.toInteger(-1) > 0xFFFFFFFF)
        throw CliError{ExitFileError, QStringLiteral("%1: no \"typeWord\" number").arg(path)};
    TParamImage image;
    image.DeviceType = static_cast<std::uint32_t>(typeWord.toInteger());
    const QJsonObject parameters = root.value("parameters").toObject();
    if (parameters.isEmpty())
        throw CliError{ExitFileError, QStringLiteral("%1: no \"parameters\"").arg(path)};
    for (auto it = parameters.begin(); it != parameters.end(); ++it)
        if (findParam(it.key().toStdString()) == nullptr)
            throw CliError{ExitFileError, QStringLiteral("%1: no field \"%2\"").arg(path, it.key())};
    // Every parameter, each a whole number that fits: nothing is guessed or left to zero.
    for (const ParamRow& row : paramTable()) {
        const QString key = QString::fromStdString(row.key);
        if (!parameters.contains(key))
            throw CliError{ExitFileError, QStringLiteral("%1: %2 is missing").arg(path, key)};
        const auto raw = wholeNumber(parameters.value(key).toObject().value("raw"));
        const QString why =
            raw ? storeField(image, key, *raw) : QStringLiteral("%1 has no whole \"raw\" number").arg(key);
        if (!why.isEmpty()) throw CliError{ExitFileError, QStringLiteral("%1: %2").arg(path, why)};
    }
    save(options.output, image);
    print(QStringLiteral("%1 imported into %2\n").arg(path, options.output));
    return ExitOk;
}

} // namespace qv7::cli
