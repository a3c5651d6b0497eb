#include "cli/LineLog.h"

#include "base/FileLock.h"
#include "base/Files.h"
#include "base/OpenFiles.h"
#include "indicator/FileAccess.h"

#include <QScopeGuard>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace qv7::cli {

namespace {

// RFC 4180 ends every record with CR LF; spreadsheets read it on every platform.
const QByteArray Eol = QByteArrayLiteral("\r\n");

QString csvLine(const QStringList& fields) {
    QStringList quoted;
    for (const QString& f : fields)
        quoted << csvField(f);
    return quoted.join(',');
}

} // namespace

QString csvField(const QString& raw) {
    // A serial number or a file name from outside must never run as a formula where the record is opened.
    const bool formula = !raw.isEmpty() && QStringLiteral("=+-@").contains(raw.front());
    const QString text = formula ? '\'' + raw : raw;
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

QString appendToLog(const QString& path, const QList<LogRecord>& records, int lockWaitMs) {
    const auto failed = [&path](int error) {
        return QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(error)));
    };
    // Opened without waiting: a FIFO with no reader would hold the open for good.
    const OpenedFile log = openForAppend(fileNameBytes(path));
    if (log.fd < 0) return failed(log.error);
    const int fd = log.fd;
    const auto closing = qScopeGuard([fd] { closeFile(fd); });
    FileState info = fileState(fd);
    if (info.error != 0) return failed(info.error);
    if (!info.regular) return QStringLiteral("%1: not a regular file").arg(path);
    if (const int error = lockExclusive(fd, std::chrono::milliseconds(lockWaitMs)); error != 0)
        return error == ETIMEDOUT ? QStringLiteral("%1: another program kept the log locked for %2 ms")
                                        .arg(path)
                                        .arg(lockWaitMs)
                                  : failed(error);
    // The length as the lock holder sees it: whoever appended before us has finished.
    info = fileState(fd);
    if (info.error != 0) return failed(info.error);
    QByteArray added;
    if (info.size == 0) added += logHeader().toUtf8() + Eol;
    // A last line cut short (by a hand edit) must not swallow the first new one.
    else if (const int last = byteAt(fd, info.size - 1); last >= 0 && last != '\n')
        added += Eol;
    for (const LogRecord& r : records)
        added += logLine(r).toUtf8() + Eol;
    const int error =
        appendWhole(fd, std::string_view(added.constData(), static_cast<std::size_t>(added.size())));
    return error == 0 ? QString() : failed(error);
}

} // namespace qv7::cli
