#include "cli/FitCommands.h"

#include "base/Errors.h"
#include "cli/Output.h"
#include "cli/Session.h"
#include "indicator/LinFit.h"
#include "indicator/MeasureFile.h"

#include <QJsonArray>

namespace qv7::cli {

namespace {

// The measured pairs of the command line: the file's table or the shape's samples.
std::vector<FitPoint> measuredPairs(const Options& options) {
    if (!options.shape.isEmpty())
        return shapeSamples(*linShapeNamed(options.shape.toStdString()), options.samples, options.cutoff);
    const QString path = options.arguments.first();
    MeasureReadResult read;
    try {
        read = loadMeasureFile(path);
    } catch (const EInOutError& e) {
        throw CliError{ExitFileError, QStringLiteral("%1: %2").arg(path, fileErrorText(e, true))};
    }
    if (!read.ok())
        throw CliError{ExitFileError, QStringLiteral("%1: %2").arg(path, measureErrorText(*read.error))};
    return std::move(read.pairs);
}

// Saves the points as the editor does and returns what the saved file holds: the saved bytes read
// as the editor reads a file, never the name again ("-" is standard output, /dev/null keeps nothing).
std::vector<FitPoint> saved(const QString& path, std::span<const FitPoint> points) {
    const std::vector<LinFilePoint> inFile = asSavedInFile(points);
    if (inFile.size() < 2)
        throw CliError{
            ExitFileError,
            QStringLiteral("%1: the inputs span less than the file's 0.01 %; nothing saved").arg(path)};
    try {
        saveLinFile(path, inFile);
        return fitPointsOf(parseLinText(linFileText(inFile)).points);
    } catch (const EInOutError& e) {
        throw CliError{ExitFileError, QStringLiteral("%1: %2").arg(path, quoted(errorText(e)))};
    }
}

QString fitText(std::span<const FitPoint> points, const Deviation& deviation, int budget,
                const Deviation& even) {
    QString text = QStringLiteral("point        X %        Y %\n");
    for (std::size_t i = 0; i < points.size(); ++i)
        text +=
            QStringLiteral("%1 %2 %3\n").arg(i, 5).arg(points[i].x, 10, 'f', 2).arg(points[i].y, 10, 'f', 2);
    text += QStringLiteral("largest deviation: %1 % of full scale at input %2 %\n")
                .arg(deviation.error, 0, 'f', 4)
                .arg(deviation.at, 0, 'f', 2);
    text += QStringLiteral("%1 evenly spread points: %2 % at input %3 %\n")
                .arg(budget)
                .arg(even.error, 0, 'f', 4)
                .arg(even.at, 0, 'f', 2);
    return text;
}

// Points read back from a file carry its two decimals: 0.87, not the single's 0.8700000047683716.
double shown(double value, bool fromFile) {
    return fromFile ? QString::number(value, 'f', 2).toDouble() : value;
}

QJsonObject fitJson(std::span<const FitPoint> points, bool fromFile, const Deviation& deviation,
                    const Deviation& even) {
    QJsonArray array;
    for (const FitPoint& p : points)
        array.append(QJsonArray{shown(p.x, fromFile), shown(p.y, fromFile)});
    return QJsonObject{{"points", array},
                       {"max_error", deviation.error},
                       {"at", deviation.at},
                       {"even_spacing_error", even.error}};
}

} // namespace

QString measureErrorText(const MeasureError& error) {
    const QString text = QString::fromStdString(error.text);
    const QString where = error.line > 0 ? QStringLiteral("line %1: ").arg(error.line) : QString();
    switch (error.kind) {
    case MeasureError::Kind::NotANumber:
        return where + QStringLiteral("\"%1\" is not a number").arg(text);
    case MeasureError::Kind::Columns:
        return where + QStringLiteral("not two columns (input, output)");
    case MeasureError::Kind::OutOfRange:
        return where + QStringLiteral("%1 lies outside -25 ... 125 %, what the table can hold").arg(text);
    case MeasureError::Kind::Contradiction:
        return where + QStringLiteral("the same input as line %1 with another output").arg(error.otherLine);
    case MeasureError::Kind::TooFewPairs:
        return QStringLiteral("fewer than two pairs with different inputs");
    case MeasureError::Kind::TooManyPairs:
        return where + QStringLiteral("more than %1 pairs").arg(MeasureMaxPairs);
    }
    return where;
}

int commandLinFit(const Options& options) {
    const std::vector<FitPoint> data = measuredPairs(options);
    const LinFitResult fit =
        fitLinCurve(data, options.points, {.offData = options.offData, .pinEnds = !options.freeEnds});
    std::vector<FitPoint> points = fit.points;
    Deviation deviation = fit.deviation;
    if (!options.output.isEmpty()) {
        points = saved(options.output, points);
        deviation = curveDeviation(points, data);
    }
    if (options.json)
        printJson(fitJson(points, !options.output.isEmpty(), deviation, fit.evenDeviation));
    else
        print(fitText(points, deviation, options.points, fit.evenDeviation));
    return ExitOk;
}

} // namespace qv7::cli
