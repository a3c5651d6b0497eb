#include "cli/LinCommands.h"

#include "base/Errors.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/Session.h"
#include "indicator/LinCurve.h"
#include "indicator/LinFile.h"

#include <QJsonArray>

#include <charconv>
#include <cstdio>

namespace qv7::cli {

namespace {

// A single as JSON: its shortest decimal form (12.34, not 12.340000152587891).
double shortest(float value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return QByteArray(text, end - text).toDouble();
}

QJsonObject curveJson(const std::vector<LinFilePoint>& points, const QStringList& messages) {
    QJsonArray array;
    for (const LinFilePoint& p : points)
        array.append(QJsonArray{shortest(p.X), shortest(p.Y)});
    return QJsonObject{{"points", array}, {"messages", QJsonArray::fromStringList(messages)}};
}

QString curveText(const std::vector<LinFilePoint>& points) {
    QString text = QStringLiteral("point        X %        Y %\n");
    for (std::size_t i = 0; i < points.size(); ++i)
        text +=
            QStringLiteral("%1 %2 %3\n").arg(i, 5).arg(points[i].X, 10, 'f', 2).arg(points[i].Y, 10, 'f', 2);
    return text;
}

void warn(const QString& text) {
    std::fprintf(stderr, "qv7ctl: %s\n", text.toUtf8().constData());
}

// The file as the editor's "Charge" reads it; a file it refuses ends qv7ctl with exit 4.
LinLoadResult loadOrRefuse(const QString& path, QByteArray* bytes = nullptr) {
    LinLoadResult loaded;
    try {
        loaded = loadLinFile(path, bytes);
    } catch (const EInOutError& e) {
        throw CliError{ExitFileError, QStringLiteral("%1: %2").arg(path, fileErrorText(e))};
    }
    if (!loaded.ok()) {
        const QString where =
            loaded.errorLine > 0 ? QStringLiteral(" (line %1)").arg(loaded.errorLine) : QString();
        throw CliError{ExitFileError, QStringLiteral("%1%2: %3").arg(path, where, quoted(loaded.error))};
    }
    return loaded;
}

// The table that the editor's "Ecriture" sends for this curve (entries past it are zero here).
TLinTable tableOf(const std::vector<LinFilePoint>& curve) {
    TLinTable table{};
    for (std::size_t i = 0; i < curve.size(); ++i)
        table[i] = linTablePoint(curve[i].X, curve[i].Y);
    return table;
}

} // namespace

QStringList linDifferences(const TLinTable& sent, int sentLast, const TLinTable& back, int backLast) {
    QStringList lines;
    if (sentLast != backLast)
        lines << QStringLiteral("last point: wrote %1, read back %2").arg(sentLast).arg(backLast);
    for (int i = 0; i <= sentLast; ++i) {
        const LinFilePoint wrote = linCurvePoint(sent[static_cast<std::size_t>(i)]);
        const LinFilePoint read = linCurvePoint(back[static_cast<std::size_t>(i)]);
        if (!(sent[static_cast<std::size_t>(i)] == back[static_cast<std::size_t>(i)]))
            lines << QStringLiteral("point %1: wrote (%2, %3), read back (%4, %5)")
                         .arg(i)
                         .arg(shortest(wrote.X))
                         .arg(shortest(wrote.Y))
                         .arg(shortest(read.X))
                         .arg(shortest(read.Y));
    }
    return lines;
}

LinToWrite linToWrite(const QString& path) {
    QByteArray bytes;
    const LinLoadResult loaded = loadOrRefuse(path, &bytes);
    const auto count = static_cast<int>(loaded.points.size());
    if (count > LinTablePoints)
        throw CliError{ExitFileError, QStringLiteral("%1: %2 (the file holds %3)")
                                          .arg(path, quoted(english("LinCurve", LinCurveTooLong)))
                                          .arg(count)};
    // A file cut short (a blank line ends the reading) lost its last points: the table would end early.
    if (loaded.declared > count)
        throw CliError{ExitFileError, QStringLiteral("%1: it declares %2 points but holds %3 (point %3 and "
                                                     "later missing); nothing was sent")
                                          .arg(path)
                                          .arg(loaded.declared)
                                          .arg(count)};
    // What the next table read would refuse is not sent.
    if (const auto fault = linSendFault(loaded.points)) {
        const LinFilePoint& p = loaded.points[static_cast<std::size_t>(fault->point)];
        const QString why = fault->kind == LinSendFault::Kind::OutOfRange
                                ? QStringLiteral("lies outside -25 ... 125 %")
                                : QStringLiteral("does not lie right of the point before it (X must rise)");
        throw CliError{ExitFileError, QStringLiteral("%1: point %2 (X %3, Y %4) %5; nothing was sent")
                                          .arg(path)
                                          .arg(fault->point)
                                          .arg(shortest(p.X))
                                          .arg(shortest(p.Y))
                                          .arg(why)};
    }
    for (const QString& message : loaded.messages)
        warn(QStringLiteral("%1: %2").arg(path, quoted(message)));
    return {tableOf(loaded.points), static_cast<std::uint8_t>(count - 1), sha256Hex(bytes)};
}

QStringList writeLinVerified(Session& session, const LinToWrite& lin) {
    session.writeLin(lin.table, lin.lastPoint);
    session.readAll();
    const TLinTable back = session.readLin();
    return linDifferences(lin.table, lin.lastPoint, back, session.params().LinLastPoint);
}

int commandLinRead(const Options& options) {
    Session session(options);
    session.open();
    session.readAll(); // the number of points in use is the indicator's register 2
    const TLinTable table = session.readLin();
    const int lastPoint = session.params().LinLastPoint;
    const auto curve = linCurveFromTable(table, lastPoint);
    if (options.json) {
        std::vector<LinFilePoint> asRead;
        for (int i = 0; i <= lastPoint; ++i)
            asRead.push_back(linCurvePoint(table[static_cast<std::size_t>(i)]));
        printJson(curveJson(curve.value_or(asRead),
                            curve ? QStringList() : QStringList{english("LinCurve", LinTableError)}));
    } else {
        print(linTableText(table, lastPoint));
    }
    if (options.stats) printStats(session);
    // The editor refuses such a table: no file is made of it.
    if (!curve)
        throw CliError{ExitFileError, QStringLiteral("%1: a point in use lies outside -25 ... 125 %")
                                          .arg(quoted(english("LinCurve", LinTableError)))};
    if (!options.output.isEmpty()) {
        try {
            saveLinFile(options.output, *curve);
        } catch (const EInOutError& e) {
            throw CliError{ExitFileError,
                           QStringLiteral("%1: %2").arg(options.output, fileErrorText(e, true))};
        }
    }
    return ExitOk;
}

int commandLinShow(const Options& options) {
    const QString path = options.arguments.first();
    const LinLoadResult loaded = loadOrRefuse(path);
    if (options.json) {
        printJson(curveJson(loaded.points, loaded.messages));
    } else {
        print(curveText(loaded.points));
        for (const QString& message : loaded.messages)
            warn(QStringLiteral("%1: %2").arg(path, quoted(message)));
    }
    return ExitOk;
}

int commandLinWrite(const Options& options) {
    const QString path = options.arguments.first();
    const LinToWrite lin = linToWrite(path);
    const int count = lin.lastPoint + 1;
    Session session(options);
    session.open();
    session.readAll(); // the write keeps the indicator's linearisation on/off bit
    const QStringList differing = writeLinVerified(session, lin);
    if (options.outcome) {
        options.outcome->differences = differing;
        options.outcome->tableSha256 = lin.sha256;
    }
    if (options.json)
        printJson(QJsonObject{{"written", path}, {"differences", QJsonArray::fromStringList(differing)}});
    else if (differing.isEmpty())
        print(QStringLiteral("%1 written to %2: %3 points, every point read back as written\n")
                  .arg(path, session.modelName())
                  .arg(count));
    else
        print(differing.join('\n') + '\n');
    if (options.stats) printStats(session);
    if (!differing.isEmpty())
        warn(QStringLiteral("%1 point(s) read back differ from %2").arg(differing.size()).arg(path));
    return differing.isEmpty() ? ExitOk : ExitDifference;
}

} // namespace qv7::cli
