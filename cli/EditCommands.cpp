#include "cli/EditCommands.h"

#include "base/Errors.h"
#include "base/FileLock.h"
#include "base/Files.h"
#include "cli/Commands.h"
#include "cli/ImportJson.h"
#include "cli/Output.h"
#include "cli/ParamEdit.h"
#include "cli/Session.h"
#include "indicator/FileAccess.h"
#include "indicator/ParamFile.h"
#include "proto/ParamTable.h"

#include <QFile>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace qv7::cli {

namespace {

void save(const QString& path, TParamImage& image) {
    try {
        saveParamFile(path, image);
    } catch (const EInOutError& e) {
        throw CliError{
            ExitFileError,
            QStringLiteral("%1: cannot save the parameters: %2").arg(path, fileErrorText(e, true))};
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

// Holds the parameter file `path` from before it is read until after its replacement is renamed over
// it, so that two runs on one file apply their changes one after the other: a second run waits for
// the first at most --timeout, then reads the file the first one saved. The lock is taken on the
// file itself and taken again on each file that replaces it under the name; no lock file is made.
// A file that does not exist yet has nothing to lock (`mustExist` false: import makes it).
void holdFile(FileLock& lock, const QString& path, const Options& options, bool mustExist) {
    if (lock.lockNamed(fileNameBytes(path), std::chrono::milliseconds(options.timeoutMs())) ==
        FileLock::Outcome::Locked)
        return;
    if (lock.error() == ENOENT && !mustExist) return;
    if (lock.error() == ETIMEDOUT)
        throw CliError{ExitTimeout, QStringLiteral("%1: another program kept the file locked for %2 s; "
                                                   "nothing was changed")
                                        .arg(path)
                                        .arg(options.timeoutSeconds)};
    throw CliError{ExitFileError,
                   QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(lock.error())))};
}

QByteArray readJson(const QString& path) {
    return QByteArray::fromStdString(readInputFile(path, JsonFileCap, JsonFileCap, "parameter set"));
}

} // namespace

int commandSet(const Options& options) {
    const QString path = options.arguments.first();
    FileLock lock;
    holdFile(lock, path, options, true);
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
    // A set running on the target meanwhile would otherwise save over this import, or this over it.
    FileLock lock;
    if (heldStream(fileNameBytes(options.output)) < 0) holdFile(lock, options.output, options, false);
    save(options.output, image);
    print(QStringLiteral("%1 imported into %2\n").arg(path, options.output));
    return ExitOk;
}

} // namespace qv7::cli
