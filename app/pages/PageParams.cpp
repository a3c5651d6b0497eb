// The parameter table on the pages: rows by key, their labels, choices and values in the window's
// language, and the reading of a numeric field against its row (PageKit.h says what each does).
#include "app/Language.h"
#include "app/pages/PageKit.h"
#include "indicator/ParamCompare.h"
#include "widgets/DecimalSeparator.h"

#include <QCoreApplication>

#include <cmath>
#include <stdexcept>

namespace qv7::pages {

const ParamRow& paramRow(const std::string& key) {
    const ParamRow* row = findParam(key);
    if (row == nullptr) throw std::logic_error("no parameter " + key);
    return *row;
}

void bindParam(QWidget* control, const std::string& key) {
    paramRow(key);
    control->setProperty("param", QString::fromStdString(key));
}

namespace {

bool english() {
    return currentLanguage() == Language::English;
}

// The table's English labels are written for a command line, in lower case: a control's caption
// starts with a capital.
QString caption(const std::string& french, const std::string& englishText) {
    if (!english()) return QString::fromStdString(french);
    QString text = QString::fromStdString(englishText);
    if (!text.isEmpty()) text[0] = text.at(0).toUpper();
    return text;
}

} // namespace

QString paramLabel(const std::string& key) {
    const ParamRow& row = paramRow(key);
    return caption(row.french, row.english);
}

QStringList choiceTexts(const std::string& key) {
    QStringList texts;
    for (const ParamChoice& choice : paramRow(key).choices)
        texts << caption(choice.french, choice.english);
    return texts;
}

bool hasParam(const std::string& key, std::uint32_t typeWord) {
    return paramPresent(paramRow(key), typeWord);
}

int itemOf(const std::string& key, const TParamImage& params) {
    const ParamRow& row = paramRow(key);
    const std::int64_t raw = rawValue(row, params);
    const auto item = itemOfRaw(row, raw);
    return static_cast<int>(std::clamp<std::int64_t>(item ? *item : raw, -1, 1 << 30));
}

void storeItem(const std::string& key, TParamImage& params, std::int64_t item) {
    const ParamRow& row = paramRow(key);
    if (item < 0 && row.kind != ParamKind::Number) return;
    // The controls hold no item beyond the row's, so a refusal here is a fault of the page.
    if (!storeRaw(row, params, rawOfItem(row, item))) throw ERangeError();
}

namespace {

// A limit as the page shows it: its decimals with the window's separator, a true minus sign.
QString limitText(std::int64_t raw, int decimals) {
    double value = static_cast<double>(raw);
    for (int i = 0; i < decimals; ++i)
        value /= 10.0;
    QString text = QString::number(std::abs(value), 'f', decimals);
    text.replace(u'.', decimalSeparator());
    return raw < 0 ? QStringLiteral("\u2212") + text : text;
}

} // namespace

namespace {

const char* const WholeNumbers = QT_TRANSLATE_NOOP("PageKit", "%1 : nombre entier de %2 à %3");
const char* const Numbers = QT_TRANSLATE_NOOP("PageKit", "%1 : nombre de %2 à %3");
// A fraction typed into a count of the display: the point is no part of the number.
const char* const DisplayCountsHint = QT_TRANSLATE_NOOP(
    "PageKit", "nombre entier de points d'affichage : le point décimal se règle sur la page "
               "Affichage, 9.000 se saisit 9000");
const char* const DecimalsHint[] = {QT_TRANSLATE_NOOP("PageKit", "une décimale au plus"),
                                    QT_TRANSLATE_NOOP("PageKit", "deux décimales au plus")};

QString text(const char* source, bool translated) {
    return translated ? QCoreApplication::translate("PageKit", source) : QString::fromUtf8(source);
}

QString acceptsText(const ParamRow& row, std::uint32_t typeWord, bool translated) {
    const ParamLimits limits = pageLimits(row, typeWord);
    return text(row.decimals == 0 ? WholeNumbers : Numbers, translated)
        .arg(translated ? rowLabel(row) : QString::fromStdString(row.french),
             limitText(limits.lowest, row.decimals), limitText(limits.highest, row.decimals));
}

// The refusal with the hint that tells how to give the value, where there is one.
QString refusalText(const ParamRow& row, std::uint32_t typeWord, FieldRangeError::Reason reason,
                    bool translated) {
    QString message = acceptsText(row, typeWord, translated);
    if (reason != FieldRangeError::Reason::Fraction) return message;
    if (row.decimals > 0 && row.decimals <= 2)
        message += QStringLiteral("\n") + text(DecimalsHint[row.decimals - 1], translated);
    else if (row.unit == "display units")
        message += QStringLiteral("\n") + text(DisplayCountsHint, translated);
    return message;
}

} // namespace

QString rangeText(const ParamRow& row, std::uint32_t typeWord) {
    const ParamLimits limits = pageLimits(row, typeWord);
    const QString unit = QCoreApplication::translate("PageKit", frenchUnit(row));
    return QCoreApplication::translate("PageKit", "de %1 à %2 %3")
        .arg(limitText(limits.lowest, row.decimals), limitText(limits.highest, row.decimals), unit)
        .trimmed();
}

QString rowLabel(const ParamRow& row) {
    return caption(row.french.empty() ? row.english : row.french, row.english);
}

QString valueText(const ParamRow& row, std::int64_t raw) {
    return english() ? fieldText(row, raw) : frenchFieldText(row, raw, decimalSeparator());
}

QString acceptsText(const ParamRow& row, std::uint32_t typeWord) {
    return acceptsText(row, typeWord, true);
}

FieldRangeError::FieldRangeError(QWidget* field, const ParamRow& row, std::uint32_t typeWord, Reason reason)
    : ERangeError(refusalText(row, typeWord, reason, false).toStdString()), field_(field), row_(&row),
      typeWord_(typeWord), reason_(reason) {}

QString FieldRangeError::windowText() const {
    if (row_ == nullptr) return errorText(ERangeError());
    return refusalText(*row_, typeWord_, reason_, true);
}

std::int64_t fieldRaw(QWidget* field, const QString& text, const std::string& key, std::uint32_t typeWord,
                      const QString& morePoints) {
    const ParamRow& row = paramRow(key);
    QString canonical = text;
    canonical.replace(u',', u'.');
    canonical.replace(decimalSeparator(), u'.');
    for (const QChar point : morePoints)
        canonical.replace(point, u'.');
    std::optional<double> value = parseNumber(canonical.toStdString(), '.');
    const ParamLimits limits = pageLimits(row, typeWord);
    std::optional<std::int64_t> raw;
    if (value && std::isfinite(*value)) {
        // A point in a whole number, or more decimals than the row keeps, would be read as another
        // value than the one shown ("9.000" is not 9000 display counts): refused, never rounded.
        const qsizetype point = canonical.indexOf(u'.');
        qsizetype places = 0;
        while (point >= 0 && point + 1 + places < canonical.size() &&
               canonical.at(point + 1 + places).isDigit())
            ++places;
        if (point >= 0 && (row.decimals == 0 || places > row.decimals))
            throw FieldRangeError(field, row, typeWord, FieldRangeError::Reason::Fraction);
        double scaled = *value;
        for (int i = 0; i < row.decimals; ++i)
            scaled *= 10.0;
        // The scaled value is whole but for the binary fraction's error, which rounding removes.
        if (std::abs(scaled) < 1e15) raw = roundHalfEven(scaled);
    }
    if (!raw || *raw < limits.lowest || *raw > limits.highest) throw FieldRangeError(field, row, typeWord);
    return *raw;
}

} // namespace qv7::pages
