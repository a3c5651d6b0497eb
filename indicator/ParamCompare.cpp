#include "indicator/ParamCompare.h"

#include "base/TextMarks.h"

namespace qv7 {

namespace {

QString hex(qint64 value) {
    return QStringLiteral("0x%1").arg(value, 0, 16);
}

QString utf8(const std::string& text) {
    return QString::fromStdString(text);
}

// What a reader sees for the row's raw value, as qv7ctl has always printed it.
} // namespace

QString fieldText(const ParamRow& row, qint64 raw) {
    switch (row.kind) {
    case ParamKind::Spare:
        return hex(raw);
    case ParamKind::Choice:
    case ParamKind::Switch:
        if (const ParamChoice* choice = choiceOf(row, raw)) return utf8(choice->english);
        return QStringLiteral("code %1 (no such choice)").arg(raw);
    case ParamKind::Number:
        break;
    }
    if (row.key == "linearisation.last_point") return QString::number(raw + 1); // points in use
    if (row.decimals == 0) return QString::number(raw);
    double divisor = 1.0;
    for (int i = 0; i < row.decimals; ++i)
        divisor *= 10.0;
    return QStringLiteral("%1 s").arg(static_cast<double>(raw) / divisor, 0, 'f', row.decimals);
}

QString frenchFieldText(const ParamRow& row, qint64 raw, QChar decimalPoint) {
    if (const ParamChoice* choice = choiceOf(row, raw)) return utf8(choice->french);
    if (row.kind == ParamKind::Choice || row.kind == ParamKind::Switch)
        return QString::fromUtf8(QT_TRANSLATE_NOOP("PageKit", "code %1 (aucun choix)")).arg(raw);
    QString shown = fieldText(row, raw);
    if (row.decimals > 0) shown.replace(u'.', decimalPoint);
    return shown;
}

const char* frenchUnit(const ParamRow& row) {
    if (row.unit == "display units") return QT_TRANSLATE_NOOP("PageKit", "points d'affichage");
    return row.unit.c_str();
}

namespace {

Field typeWordField(const TParamImage& p) {
    return Field{"type_word", "Type word", p.DeviceType, hex(p.DeviceType), {}, false};
}

} // namespace

QList<Field> decodeParams(const TParamImage& params) {
    QList<Field> out;
    for (const ParamRow& row : paramTable()) {
        const qint64 raw = rawValue(row, params);
        // The unit of a choice is shown by its text; the baud rate keeps its unit for scripts.
        out << Field{utf8(row.key),
                     utf8(row.english),
                     raw,
                     fieldText(row, raw),
                     row.key == "linearisation.last_point" ? QString() : utf8(row.unit),
                     row.kind == ParamKind::Spare};
    }
    return out;
}

QList<FieldDifference> compareParams(const TParamImage& expected, const TParamImage& actual) {
    QList<Field> a = decodeParams(expected);
    QList<Field> b = decodeParams(actual);
    a.prepend(typeWordField(expected));
    b.prepend(typeWordField(actual));
    QList<FieldDifference> out;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a[i].raw != b[i].raw)
            out << FieldDifference{a[i].key, a[i].label, a[i].text, b[i].text, a[i].raw, b[i].raw};
    return out;
}

QString differencesText(const QList<FieldDifference>& differences, const QString& left,
                        const QString& right) {
    QString text;
    for (const FieldDifference& d : differences)
        text += QStringLiteral("%1: %2 %3, %4 %5\n").arg(d.label, left, d.expected, right, d.actual);
    return text;
}

TParamImage asSent(TParamImage image) {
    if (image.Protection == 2) image.Protection = 3;
    return image;
}

} // namespace qv7
