// qv7ctl --log: the record of a production line, one CSV line per indicator and command, appended to
// a file a spreadsheet opens. Main thread.
#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace qv7::cli {

struct LogRecord {
    QDateTime time; // UTC
    QString command, serial, model;
    int typeWord = -1; // -1: never read, left empty
    QString paramSha256, tableSha256;
    QString result;
    int exitCode = 0;
    QStringList differences;
};

// One field as RFC 4180 wants it: quoted, inner quotes doubled, when it holds a comma, a quote or a
// line break (or starts or ends with a blank, which spreadsheets would drop). A field that starts as
// a spreadsheet formula would (=, +, - or @) is written as text, behind a leading '.
QString csvField(const QString& text);
QString logHeader();
QString logLine(const LogRecord& record);

// Appends the records (and the header first when the file is new or empty) with one write to the
// log opened for appending, under an exclusive lock on the log itself that it waits for at most
// `lockWaitMs`, then syncs it; a failed write cuts the log back, so it holds its old lines or its old
// lines and every new one. A log that is no regular file (a FIFO, a device, a folder) is refused at
// once. Returns the failure's text, empty on success. The name is taken byte for byte.
QString appendToLog(const QString& path, const QList<LogRecord>& records, int lockWaitMs);

} // namespace qv7::cli
