#include "cli/EditCommands.h"

#include "base/Errors.h"
#include "cli/Commands.h"
#include "cli/ImportJson.h"
#include "cli/Output.h"
#include "cli/ParamEdit.h"
#include "cli/Session.h"
#include "indicator/FileAccess.h"
#include "indicator/ParamFile.h"
#include "proto/ParamTable.h"

#include <QFile>

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

QByteArray readJson(const QString& path) {
    return QByteArray::fromStdString(readInputFile(path, JsonFileCap, JsonFileCap, "parameter set"));
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
    TParamImage image = importedImage(path, readJson(path));
    save(options.output, image);
    print(QStringLiteral("%1 imported into %2\n").arg(path, options.output));
    return ExitOk;
}

} // namespace qv7::cli
