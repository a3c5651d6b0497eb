#include "cli/ImportJson.h"

#include "cli/ParamEdit.h"
#include "cli/ParamFields.h"
#include "cli/Session.h"
#include "indicator/ParamSend.h"
#include "proto/ParamTable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <cmath>
#include <optional>
#include <vector>

namespace qv7::cli {

namespace {

const QSet<QString> RootKeys = {"typeWord", "typeWordHex", "model", "features", "parameters"};
const QSet<QString> FieldKeys = {"raw", "text", "label", "unit"};

CliError refused(const QString& path, const QString& why) {
    return CliError{ExitFileError, QStringLiteral("%1: %2; nothing was written").arg(path, why)};
}

// The decoded text of the JSON string token json[start..end] (quotes included).
QString decodedString(QByteArrayView token) {
    const QJsonDocument one = QJsonDocument::fromJson("[" + token.toByteArray() + "]");
    return one.array().at(0).toString();
}

// A JSON number with no fraction, within what a record's field can hold at most.
std::optional<qint64> wholeNumber(const QJsonValue& value) {
    if (!value.isDouble()) return std::nullopt;
    const double number = value.toDouble();
    if (!(number >= -4294967296.0 && number <= 4294967296.0) || std::trunc(number) != number)
        return std::nullopt;
    return static_cast<qint64>(number);
}

std::uint32_t typeWordOf(const QString& path, const QJsonObject& root) {
    const auto typeWord = wholeNumber(root.value("typeWord"));
    if (!typeWord) throw refused(path, QStringLiteral("no whole \"typeWord\" number"));
    if (*typeWord < 0 || *typeWord > 0xFFFF)
        throw refused(path,
                      QStringLiteral("\"typeWord\" %1 is no 16-bit type word (0 to 0xffff)").arg(*typeWord));
    if (root.contains("typeWordHex")) {
        const QString hex = root.value("typeWordHex").toString();
        bool ok = false;
        const qint64 value =
            hex.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive) ? hex.mid(2).toLongLong(&ok, 16) : 0;
        if (!ok || value != *typeWord)
            throw refused(path, QStringLiteral("\"typeWordHex\" \"%1\" disagrees with \"typeWord\" %2 (0x%3)")
                                    .arg(hex)
                                    .arg(*typeWord)
                                    .arg(*typeWord, 4, 16, QLatin1Char('0')));
    }
    return static_cast<std::uint32_t>(*typeWord);
}

// The raw value a field's "text" stands for, read as set reads a value; nothing when it stands for none.
std::optional<qint64> rawOfText(const TParamImage& image, const ParamRow& row, const QString& text) {
    const QString key = QString::fromStdString(row.key);
    QString error;
    const auto value = parseValue(key, text, error);
    if (!value) return std::nullopt;
    TParamImage scratch = image;
    const QString why = row.kind == ParamKind::Spare ? storeField(scratch, key, *value)
                                                     : storePageValue(scratch, key, *value);
    if (!why.isEmpty()) return std::nullopt;
    return rawValue(row, scratch);
}

// Stores one parameter's "raw"; its "text", when given, must say the same.
void storeFieldOf(const QString& path, TParamImage& image, const ParamRow& row, const QJsonObject& field) {
    const QString key = QString::fromStdString(row.key);
    for (auto it = field.begin(); it != field.end(); ++it)
        if (!FieldKeys.contains(it.key()))
            throw refused(path, QStringLiteral("unknown key \"parameters.%1.%2\"").arg(key, it.key()));
    const std::optional<qint64> raw = wholeNumber(field.value("raw"));
    if (!raw) throw refused(path, QStringLiteral("%1 has no whole \"raw\" number").arg(key));
    if (const QString why = storeField(image, key, *raw); !why.isEmpty()) throw refused(path, why);
    if (!field.contains("text")) return;
    const QString text = field.value("text").toString();
    // The text show wrote for this raw value agrees as it stands; an edited one must mean the same.
    if (field.value("text").isString() && text == fieldText(row, *raw)) return;
    const auto meant = field.value("text").isString() ? rawOfText(image, row, text) : std::nullopt;
    if (meant != raw)
        throw refused(path, QStringLiteral("%1: \"text\" \"%2\" disagrees with \"raw\" %3 (%4)")
                                .arg(key, text)
                                .arg(*raw)
                                .arg(fieldText(row, *raw)));
}

} // namespace

QString firstDuplicateKey(QByteArrayView json) {
    struct Level {
        bool object = false;
        bool expectKey = false;
        QString key; // the last key met in this object
        QSet<QString> keys;
    };
    std::vector<Level> levels;
    const auto pathOf = [&levels](const QString& key) {
        QStringList parts;
        for (std::size_t i = 0; i + 1 < levels.size(); ++i)
            if (levels[i].object) parts << levels[i].key;
        return (parts << key).join('.');
    };
    for (qsizetype i = 0; i < json.size(); ++i) {
        const char c = json[i];
        if (c == '{' || c == '[')
            levels.push_back({c == '{', c == '{', {}, {}});
        else if ((c == '}' || c == ']') && !levels.empty())
            levels.pop_back();
        else if (c == ',' && !levels.empty())
            levels.back().expectKey = levels.back().object;
        else if (c == '"') {
            qsizetype end = i + 1;
            while (end < json.size() && json[end] != '"')
                end += json[end] == '\\' ? 2 : 1;
            if (!levels.empty() && levels.back().expectKey) {
                Level& level = levels.back();
                level.key = decodedString(json.sliced(i, std::min(end, json.size() - 1) - i + 1));
                if (level.keys.contains(level.key)) return pathOf(level.key);
                level.keys.insert(level.key);
                level.expectKey = false;
            }
            i = end;
        }
    }
    return {};
}

TParamImage importedImage(const QString& path, QByteArrayView json) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json.toByteArray(), &parseError);
    if (!document.isObject())
        throw CliError{ExitFileError,
                       QStringLiteral("%1: not a JSON object (%2)").arg(path, parseError.errorString())};
    if (const QString twice = firstDuplicateKey(json); !twice.isEmpty())
        throw refused(path, QStringLiteral("the key \"%1\" is given twice").arg(twice));
    const QJsonObject root = document.object();
    for (auto it = root.begin(); it != root.end(); ++it)
        if (!RootKeys.contains(it.key()))
            throw refused(path, QStringLiteral("unknown key \"%1\"").arg(it.key()));
    TParamImage image;
    image.DeviceType = typeWordOf(path, root);
    const QJsonObject parameters = root.value("parameters").toObject();
    if (parameters.isEmpty()) throw refused(path, QStringLiteral("no \"parameters\""));
    for (auto it = parameters.begin(); it != parameters.end(); ++it)
        if (findParam(it.key().toStdString()) == nullptr)
            throw refused(path, QStringLiteral("unknown key \"parameters.%1\"").arg(it.key()));
    // Every parameter, each a whole number that fits: nothing is guessed or left to zero.
    for (const ParamRow& row : paramTable()) {
        const QString key = QString::fromStdString(row.key);
        if (!parameters.contains(key)) throw refused(path, QStringLiteral("%1 is missing").arg(key));
        storeFieldOf(path, image, row, parameters.value(key).toObject());
    }
    // A choice code outside its table, which write would refuse to send, makes no parameter file either.
    if (const auto fault = paramSendFault(image); fault && fault->kind == ParamSendFault::Kind::NotOffered)
        throw refused(path, QStringLiteral("%1 (%2) holds code %3, which this indicator type does not offer")
                                .arg(QString::fromStdString(fault->row->key),
                                     QString::fromStdString(fault->row->english))
                                .arg(fault->raw));
    return image;
}

} // namespace qv7::cli
