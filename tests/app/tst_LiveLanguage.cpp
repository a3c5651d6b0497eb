// The language switched while every window is open: in English every text has changed but names,
// numbers and units; back in French every text is what it was, and no value a user set has moved,
// so a write-all gives the indicator back exactly what it held.
#include "WindowTexts.h"
#include "WindowsRig.h"

#include "app/Language.h"

#include <QRegularExpression>

using windowsrig::Windows;
using Bank = std::map<int, std::uint16_t>;
Q_DECLARE_METATYPE(Bank)

namespace {

// Texts that read the same in both languages: names (the maker's also in the about box's two
// pieces), words English shares, units, numbers and signs.
bool sameInBothLanguages(QString text) {
    static const QRegularExpression names(
        QStringLiteral("\\b(Modbus|USB|Zeq|ZEQ|QV7|QV7CFG|qv7cfg|MODBUS|Norvex|Norve|x|Qt|Linux|Debian|"
                       "Français|English|" // each language by its own name
                       "OK|ZOOM|Zoom|Points|X|Y|S|Z|Identification|Configuration|Contact|Thermocouple|Modulo|"
                       "Selection|Version|Erase|Prg|RESET|"
                       "mA|mV|V|Hz|ms|s|Pt100|Pt|Ni|TC|RS485|RS|LCD|LED|ADC|A|B|C|E|J|K|N|R|T|W5|W3|W|"
                       "\\d[NEO]\\d)\\b"));
    static const QRegularExpression signs(QStringLiteral("[\\d\\s\\p{P}\\p{S}ΩµN°]"));
    text.remove(names);
    text.remove(signs);
    return text.isEmpty();
}

QMap<QString, QString> textsOfAll(const Windows& rig) {
    QMap<QString, QString> found;
    for (const QWidget* window : rig.all())
        found.insert(texts::textsOf(window));
    return found;
}

// The values a user sets, but the language choice itself.
QMap<QString, QString> valuesOfAll(const Windows& rig) {
    QMap<QString, QString> found;
    for (const QWidget* window : rig.all())
        found.insert(texts::valuesOf(window));
    found.removeIf([](const auto& value) { return value.key().endsWith(QStringLiteral("/LanguageChoice")); });
    return found;
}

// One line per difference between two readings of the same texts.
// Every line is said (a failure message alone would be cut short); true when there was none.
bool none(const QStringList& lines) {
    for (const QString& line : lines)
        qInfo().noquote() << line;
    return lines.isEmpty();
}

QStringList differences(const QMap<QString, QString>& before, const QMap<QString, QString>& after) {
    QStringList found;
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        if (after.value(it.key()) != it.value())
            found << QStringLiteral("%1: \"%2\" became \"%3\"")
                         .arg(it.key(), it.value(), after.value(it.key()));
    for (auto it = after.cbegin(); it != after.cend(); ++it)
        if (!before.contains(it.key()))
            found << QStringLiteral("%1: \"%2\" appeared").arg(it.key(), it.value());
    return found;
}

} // namespace

class TestLiveLanguage : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { qv7::setLanguage(qv7::Language::French); }

    void names_numbers_and_units_read_the_same_in_both_languages_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("same");
        QTest::newRow("name and number") << "USB N°2" << true;
        QTest::newRow("unit and sign") << "± 0,250 %" << true;
        QTest::newRow("names") << "Zeq QV7 Modbus" << true;
        QTest::newRow("a word") << "Fermer" << false;
        QTest::newRow("a word beside a name") << "Présence USB" << false;
        QTest::newRow("a unit inside a word") << "mAx" << false;
        QTest::newRow("a serial format") << "8O1" << true;
    }
    void names_numbers_and_units_read_the_same_in_both_languages() {
        QFETCH(QString, text);
        QFETCH(bool, same);
        QCOMPARE(sameInBothLanguages(text), same);
    }

    void every_open_window_changes_language_and_back_data() {
        QTest::addColumn<int>("typeWord");
        QTest::addColumn<Bank>("changes");
        QTest::newRow("five-choice, everything, service page 0x40D3") << 0x40D3 << Bank{};
        QTest::newRow("thermocouple with its type 0x0800") << 0x0800 << Bank{{1, 0x0410}};
    }
    void every_open_window_changes_language_and_back() {
        QFETCH(int, typeWord);
        QFETCH(Bank, changes);
        qv7::setLanguage(qv7::Language::French);
        Windows rig(static_cast<std::uint16_t>(typeWord), changes);
        QVERIFY(rig.open());
        const QMap<QString, QString> french = textsOfAll(rig);
        const QMap<QString, QString> values = valuesOfAll(rig);
        QVERIFY(french.size() > 100);

        QStringList problems;
        const auto note = [&](const QString& what, const QStringList& lines) {
            for (const QString& line : lines)
                problems << what + line;
        };

        qv7::setLanguage(qv7::Language::English);
        QCoreApplication::processEvents();
        const QMap<QString, QString> english = textsOfAll(rig);
        for (auto it = french.cbegin(); it != french.cend(); ++it)
            if (english.value(it.key()) == it.value() && !sameInBothLanguages(it.value()))
                problems << QStringLiteral("still French: %1: \"%2\"").arg(it.key(), it.value());
        // The same numbers, written with the English decimal point.
        QMap<QString, QString> inEnglish = valuesOfAll(rig);
        for (auto it = inEnglish.begin(); it != inEnglish.end(); ++it)
            if (values.value(it.key()).contains(u',')) it.value().replace(u'.', u',');
        note(QStringLiteral("changed in English: "), differences(values, inEnglish));

        qv7::setLanguage(qv7::Language::French);
        QCoreApplication::processEvents();
        note(QStringLiteral("not as before in French: "), differences(french, textsOfAll(rig)));
        note(QStringLiteral("changed back in French: "), differences(values, valuesOfAll(rig)));
        QVERIFY2(none(problems), "the switch and back left these");
        // The pages still hold what the indicator holds: written back, nothing changes there.
        rig.measures->close();
        DessinForm->close();
        const std::map<int, std::uint16_t> held = registers(*rig.first);
        QVERIFY(writeAll(rig));
        QCOMPARE(registers(*rig.first), held);
    }

private:
    static std::map<int, std::uint16_t> registers(const qv7::SimulatedIndicator& indicator) {
        std::map<int, std::uint16_t> result;
        for (int r = 0; r < 28; ++r)
            if (r < 12 || r >= 16) result[r] = indicator.holding(r);
        return result;
    }
    static bool writeAll(Windows& rig) {
        rig.first->clearRequests();
        QTest::mouseClick(MainForm->findChild<QPushButton*>(QStringLiteral("BtnWriteAll")), Qt::LeftButton);
        return pagestest::Rig::tickUntil(
                   [] { return MainForm->Torvik().Step.load() == 0 && !MainForm->isBusy(); }) &&
               !rig.first->requests().empty();
    }
};

QTEST_MAIN(TestLiveLanguage)
#include "tst_LiveLanguage.moc"
