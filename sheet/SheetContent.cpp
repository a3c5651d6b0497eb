#include "sheet/SheetContent.h"

#include "base/TextMarks.h"
#include "indicator/LinCurve.h"
#include "indicator/PageCaptions.h"
#include "indicator/ParamCompare.h"
#include "indicator/ParamFile.h"
#include "indicator/Torvik.h"
#include "proto/ParamTable.h"

#include <QRegularExpression>
#include <QTranslator>

#include <algorithm>
#include <cstdlib>
#include <map>

namespace qv7::sheet {

namespace {

constexpr char Ctx[] = "Sheet";

// The window's pages, by their tab captions, and the parameters each one shows. A parameter no page
// shows goes to the last group; the alarm pages make one table of their own.
struct PageRows {
    const char* caption; // context TMainForm, as the tabs show it
    std::vector<const char*> keys;
};
const std::vector<PageRows>& pages() {
    namespace caption = qv7::pagecaption;
    static const std::vector<PageRows> list = {
        {caption::Ident, {"protection"}},
        {caption::Cfg, {"input.type"}},
        {caption::Input,
         {"input.current_range", "input.voltage_range", "input.probe_wiring", "input.thermocouple",
          "input.cold_junction"}},
        {caption::Process,
         {"filter", "display.modulo", "linearisation.enabled", "linearisation.last_point",
          "display.temperature_unit", "display.tenths"}},
        {caption::Display, {"display.full_scale", "display.zero", "display.decimal_point"}},
        {caption::Output, {"output.full_scale", "output.zero", "output.offset"}},
        {caption::Rs485, {"rs485.baud", "rs485.format", "rs485.address"}},
    };
    return list;
}
const char* const AlarmCaptions[4] = {qv7::pagecaption::Alarm1, qv7::pagecaption::Alarm2,
                                      qv7::pagecaption::Alarm3, qv7::pagecaption::Alarm4};

struct Lang {
    SheetLanguage language;
    bool french() const { return language == SheetLanguage::French; }
    QString text(const char* french, const char* context = Ctx) const {
        return sheetText(language, context, french);
    }
    QString pick(const std::string& french, const std::string& english) const {
        return QString::fromStdString(this->french() ? french : english);
    }
};

// The points in use are one more than the record's index of the last one, as show counts them.
bool countsPoints(const ParamRow& row) {
    return row.key == "linearisation.last_point";
}

QString numberText(std::int64_t raw, int decimals, const Lang& lang) {
    if (decimals == 0) return QString::number(raw);
    double divisor = 1.0;
    for (int i = 0; i < decimals; ++i)
        divisor *= 10.0;
    QString text = QString::number(static_cast<double>(raw) / divisor, 'f', decimals);
    if (lang.french()) text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text;
}

// The unit as the table names it in English, as the pages name it in French.
QString unitText(const ParamRow& row, const Lang& lang) {
    return lang.french() ? lang.text(frenchUnit(row), "PageKit") : QString::fromStdString(row.unit);
}

QString withUnit(const QString& text, const ParamRow& row, const Lang& lang) {
    const QString unit = unitText(row, lang);
    if (unit.isEmpty() || text.endsWith(QLatin1Char(' ') + unit)) return text;
    return text + QLatin1Char(' ') + unit;
}

QString choiceText(const ParamChoice& choice, const Lang& lang) {
    return lang.pick(choice.french, choice.english);
}

// The value as qv7ctl show prints it in English and as the pages show it in French, with its unit.
QString valueText(const ParamRow& row, std::int64_t raw, const Lang& lang) {
    const QString text = lang.french() ? frenchFieldText(row, raw, QLatin1Char(',')) : fieldText(row, raw);
    const bool known = row.kind == ParamKind::Number || choiceOf(row, raw) != nullptr;
    return known && !countsPoints(row) ? withUnit(text, row, lang) : text;
}

QString rangeText(const ParamRow& row, std::uint32_t typeWord, const Lang& lang) {
    const ParamLimits limits = pageLimits(row, typeWord);
    if (row.kind == ParamKind::Spare) return QStringLiteral("—");
    if (row.kind == ParamKind::Number) {
        const std::int64_t shift = countsPoints(row) ? 1 : 0;
        return withUnit(numberText(limits.lowest + shift, row.decimals, lang) + QStringLiteral(" … ") +
                            numberText(limits.highest + shift, row.decimals, lang),
                        row, lang);
    }
    QStringList items;
    for (std::int64_t i = std::max<std::int64_t>(limits.lowest, 0);
         i <= limits.highest && i < static_cast<std::int64_t>(row.choices.size()); ++i)
        items << choiceText(row.choices[static_cast<std::size_t>(i)], lang);
    return withUnit(items.join(QStringLiteral(" / ")), row, lang);
}

QString labelOf(const ParamRow& row, const Lang& lang) {
    if (row.kind == ParamKind::Spare && lang.french())
        return lang.text(QT_TRANSLATE_NOOP("Sheet", "Bits inutilisés (%1)"))
            .arg(QString::fromStdString(row.key));
    return lang.pick(row.french, row.english);
}

// A spare row shows only when it holds something or is marked: bits no control sets.
bool shown(const ParamRow& row, const SheetSource& s) {
    if (!paramPresent(row, s.params.DeviceType)) return false;
    if (row.kind != ParamKind::Spare) return true;
    return rawValue(row, s.params) != 0 || s.marked.count(row.key) != 0;
}

SheetRow rowOf(const ParamRow& row, const SheetSource& s, const Lang& lang) {
    return SheetRow{row.key, labelOf(row, lang), valueText(row, rawValue(row, s.params), lang),
                    rangeText(row, s.params.DeviceType, lang), s.marked.count(row.key) != 0};
}

// An alarm row's label without its alarm: "Seuil d'alarme 2" -> "Seuil d'alarme", "Alarm 2 delay"
// -> "Delay"; the column says which alarm.
QString withoutAlarm(QString label, int alarm) {
    const QString n = QString::number(alarm + 1);
    label.remove(QRegularExpression(QStringLiteral("\\b(Alarm )?%1\\b ?").arg(n)));
    label = label.trimmed();
    if (!label.isEmpty()) label[0] = label[0].toUpper();
    return label;
}

AlarmTable alarmTable(const SheetSource& s, const Lang& lang) {
    AlarmTable table;
    std::vector<int> alarms;
    for (int k = 0; k < 4; ++k)
        if (paramPresent(*findParam("alarm" + std::to_string(k + 1) + ".threshold"), s.params.DeviceType)) {
            alarms.push_back(k);
            table.columns << lang.text(AlarmCaptions[k], "TMainForm");
        }
    if (alarms.empty()) return table;
    // The rows of the first alarm give the lines; the others' rows sit at the same place.
    for (const ParamRow& first : paramTable()) {
        if (first.alarm != alarms.front()) continue;
        AlarmTable::Line line;
        bool any = false;
        for (int k : alarms) {
            const std::string key = "alarm" + std::to_string(k + 1) + first.key.substr(first.key.find('.'));
            const ParamRow& row = *findParam(key);
            any = any || shown(row, s);
            line.values << valueText(row, rawValue(row, s.params), lang);
            line.marked << (s.marked.count(key) != 0);
        }
        if (!any) continue;
        line.label = first.kind == ParamKind::Spare && lang.french()
                         ? lang.text(QT_TRANSLATE_NOOP("Sheet", "Bits inutilisés"))
                         : withoutAlarm(lang.pick(first.french, first.english), first.alarm);
        line.range = rangeText(first, s.params.DeviceType, lang);
        table.lines << line;
    }
    return table;
}

QList<SheetGroup> groupsOf(const SheetSource& s, const Lang& lang) {
    QList<SheetGroup> groups;
    std::set<std::string> placed;
    for (const PageRows& page : pages()) {
        SheetGroup group{lang.text(page.caption, "TMainForm"), {}};
        for (const char* key : page.keys) {
            const ParamRow& row = *findParam(key);
            placed.insert(row.key);
            if (shown(row, s)) group.rows << rowOf(row, s, lang);
        }
        if (!group.rows.isEmpty()) groups << group;
    }
    SheetGroup rest{lang.text(QT_TRANSLATE_NOOP("Sheet", "Autres bits du record")), {}};
    for (const ParamRow& row : paramTable())
        if (row.alarm < 0 && !placed.count(row.key) && shown(row, s)) rest.rows << rowOf(row, s, lang);
    if (!rest.rows.isEmpty()) groups << rest;
    return groups;
}

QString pointText(float value, const Lang& lang) {
    QString text = QString::number(static_cast<double>(value), 'f', 2);
    if (lang.french()) text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text;
}

void addCurve(SheetContent& c, const SheetSource& s, const Lang& lang) {
    c.curveCaption = lang.text(QT_TRANSLATE_NOOP("Sheet", "Courbe de linéarisation"));
    if (!s.curve) {
        if (s.tableRefused)
            c.curveNote = lang.text(LinTableError, "LinCurve");
        else if ((s.params.LinEnable & 1) && s.tableNotRead)
            c.curveNote = lang.text(
                QT_TRANSLATE_NOOP("Sheet", "Linéarisation active : table non lue dans l'indicateur"));
        else if (s.params.LinEnable & 1)
            c.curveNote = lang.text(QT_TRANSLATE_NOOP("Sheet", "Linéarisation active : table non fournie"));
        return;
    }
    c.curve = *s.curve;
    c.curveXTitle = lang.text(QT_TRANSLATE_NOOP("Sheet", "Entrée (%)"));
    c.curveYTitle = lang.text(QT_TRANSLATE_NOOP("Sheet", "Affichage (%)"));
    c.pointColumns = {lang.text(QT_TRANSLATE_NOOP("Sheet", "Point")), QStringLiteral("X (%)"),
                      QStringLiteral("Y (%)")};
    for (std::size_t i = 0; i < c.curve.size(); ++i)
        c.pointRows << QStringList{QString::number(i), pointText(c.curve[i].X, lang),
                                   pointText(c.curve[i].Y, lang)};
    const QString origin = s.curveFile.isEmpty()
                               ? lang.text(QT_TRANSLATE_NOOP("Sheet", "la table de l'indicateur"))
                               : s.curveFile;
    c.curveNote = lang.text(QT_TRANSLATE_NOOP("Sheet", "%1 points, de %2")).arg(c.curve.size()).arg(origin);
}

QString timeText(const QDateTime& time, bool utc) {
    const QDateTime t = utc ? time.toUTC() : time.toLocalTime();
    if (utc) return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss 'UTC'"));
    const int minutes = t.offsetFromUtc() / 60;
    return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
           QStringLiteral(" (UTC%1%2:%3)")
               .arg(minutes < 0 ? QLatin1Char('-') : QLatin1Char('+'))
               .arg(std::abs(minutes) / 60, 2, 10, QLatin1Char('0'))
               .arg(std::abs(minutes) % 60, 2, 10, QLatin1Char('0'));
}

QList<QPair<QString, QString>> headerOf(const SheetSource& s, const Lang& lang) {
    const std::uint32_t t = s.params.DeviceType;
    return {
        {lang.text(QT_TRANSLATE_NOOP("Sheet", "Modèle")),
         s.modelName.isEmpty() ? BuildModelName(t) : s.modelName},
        {lang.text(QT_TRANSLATE_NOOP("Sheet", "Numéro de série")),
         s.serial.isEmpty() ? lang.text(QT_TRANSLATE_NOOP("Sheet", "inconnu (fichier de paramètres)"))
                            : s.serial},
        {lang.text(QT_TRANSLATE_NOOP("Sheet", "Mot de type")),
         QStringLiteral("0x%1").arg(t, 4, 16, QLatin1Char('0'))},
        {lang.text(QT_TRANSLATE_NOOP("Sheet", "Date (heure locale)")), timeText(s.time, false)},
        {lang.text(QT_TRANSLATE_NOOP("Sheet", "Date (UTC)")), timeText(s.time, true)},
        {lang.text(QT_TRANSLATE_NOOP("Sheet", "Version du programme")), s.version},
        {lang.text(QT_TRANSLATE_NOOP("Sheet", "SHA-256 des 200 octets")), paramFileSha256(s.params)},
    };
}

} // namespace

QString sheetText(SheetLanguage language, const char* context, const char* french) {
    if (language == SheetLanguage::French) return QString::fromUtf8(french);
    static const QTranslator* english = [] {
        auto* translator = new QTranslator;
        if (!translator->load(QStringLiteral(":/i18n/qv7cfg_en.qm"))) {
            delete translator;
            return static_cast<QTranslator*>(nullptr);
        }
        return translator;
    }();
    const QString text = english ? english->translate(context, french) : QString();
    return text.isEmpty() ? QString::fromUtf8(french) : text;
}

SheetContent buildSheet(const SheetSource& s) {
    const Lang lang{s.language};
    SheetContent c;
    c.decimalComma = lang.french();
    c.title = lang.text(QT_TRANSLATE_NOOP("Sheet", "Fiche de configuration"));
    c.header = headerOf(s, lang);
    c.labelHeading = lang.text(QT_TRANSLATE_NOOP("Sheet", "Paramètre"));
    c.valueHeading = lang.text(QT_TRANSLATE_NOOP("Sheet", "Valeur"));
    c.rangeHeading = lang.text(QT_TRANSLATE_NOOP("Sheet", "Étendue"));
    c.groups = groupsOf(s, lang);
    c.alarmsCaption = lang.text(QT_TRANSLATE_NOOP("Sheet", "Alarmes"));
    c.alarms = alarmTable(s, lang);
    addCurve(c, s, lang);
    const bool anyMarked = std::any_of(c.groups.begin(), c.groups.end(),
                                       [](const SheetGroup& g) {
                                           return std::any_of(g.rows.begin(), g.rows.end(),
                                                              [](const SheetRow& r) { return r.marked; });
                                       }) ||
                           std::any_of(c.alarms.lines.begin(), c.alarms.lines.end(),
                                       [](const AlarmTable::Line& l) { return l.marked.contains(true); });
    if (anyMarked)
        c.markLegend =
            QStringLiteral("◆ ") +
            (s.markReference.isEmpty()
                 ? lang.text(QT_TRANSLATE_NOOP("Sheet", "valeur pas encore écrite dans l'indicateur"))
                 : lang.text(QT_TRANSLATE_NOOP("Sheet", "valeur différente de %1")).arg(s.markReference));
    c.configuredBy = lang.text(QT_TRANSLATE_NOOP("Sheet", "Configuré par :"));
    c.checkedBy = lang.text(QT_TRANSLATE_NOOP("Sheet", "Vérifié par :"));
    c.dateLabel = lang.text(QT_TRANSLATE_NOOP("Sheet", "Date :"));
    c.pageOf = lang.text(QT_TRANSLATE_NOOP("Sheet", "Page %1 / %2"));
    // The model, the serial number and the local date, as the header gives them.
    c.pageIdentity = QStringLiteral("%1 · %2 %3 · %4")
                         .arg(c.header[0].second, c.header[1].first, c.header[1].second, c.header[3].second);
    return c;
}

} // namespace qv7::sheet
