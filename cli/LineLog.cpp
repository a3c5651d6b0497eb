#include "cli/LineLog.h"

#include "base/Files.h"
#include "indicator/FileAccess.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <cstring>

namespace qv7::cli {

namespace {

// RFC 4180 ends every record with CR LF; spreadsheets read it on every platform.
const QByteArray Eol = QByteArrayLiteral("\r\n");
// Another qv7ctl appending to the same log waits this long for the lock before giving up.
constexpr int LockWaitMs = 10000;

QString csvLine(const QStringList& fields) {
    QStringList quoted;
    for (const QString& f : fields)
        quoted << csvField(f);
    return quoted.join(',');
}

} // namespace

QString csvField(const QString& text) {
    const bool needsQuotes = text.contains(',') || text.contains('"') || text.contains('\n') ||
                             text.contains('\r') || text.startsWith(' ') || text.endsWith(' ');
    if (!needsQuotes) return text;
    QString inner = text;
    inner.replace('"', QStringLiteral("\"\""));
    return '"' + inner + '"';
}

QString logHeader() {
    return csvLine({"time (UTC)", "command", "serial", "model", "type word", "parameter file SHA-256",
                    "table file SHA-256", "result", "exit code", "differences"});
}

QString logLine(const LogRecord& r) {
    const QString typeWord =
        r.typeWord < 0 ? QString() : QStringLiteral("0x%1").arg(r.typeWord, 4, 16, QLatin1Char('0'));
    return csvLine({r.time.toUTC().toString(Qt::ISODate), r.command, r.serial, r.model, typeWord,
                    r.paramSha256, r.tableSha256, r.result, QString::number(r.exitCode),
                    r.differences.join(QStringLiteral("; "))});
}

QString fileSha256(const QString& path) {
    if (path.isEmpty()) return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.readAll();
    if (file.error() != QFile::NoError) return {};
    return sha256Hex(bytes);
}

QString appendToLog(const QString& path, const QList<LogRecord>& records) {
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(LockWaitMs)) return QStringLiteral("%1: another program holds %1.lock").arg(path);
    QByteArray old;
    if (QFileInfo::exists(path)) {
        QFile file(path);
        // A log that cannot be read is never replaced by one without its lines.
        if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("%1: %2").arg(path, file.errorString());
        old = file.readAll();
        if (file.error() != QFile::NoError) return QStringLiteral("%1: %2").arg(path, file.errorString());
    }
    QByteArray added;
    if (old.isEmpty()) added += logHeader().toUtf8() + Eol;
    // A last line cut short (by a hand edit) must not swallow the first new one.
    else if (!old.endsWith('\n'))
        added += Eol;
    for (const LogRecord& r : records)
        added += logLine(r).toUtf8() + Eol;

    const QByteArray whole = old + added;
    const int error = saveWholeFile(
        fileNameBytes(path), std::string_view(whole.constData(), static_cast<std::size_t>(whole.size())));
    if (error != 0) return QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(error)));
    return {};
}

} // namespace qv7::cli
