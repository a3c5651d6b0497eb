// The record decoded into named fields: every choice and unit the indicator's parameters have, codes
// without a choice, spare bits, and the field-by-field comparison write and diff rely on; the --log
// record's fields and first appends.
#include "cli/LinCommands.h"
#include "cli/LineLog.h"
#include "cli/Options.h"
#include "cli/ParamFields.h"
#include "indicator/LinCurve.h"

#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <thread>

using qv7::cli::Field;

namespace {

using Setter = std::function<void(TParamImage&)>;

Field fieldOf(const TParamImage& params, const QString& key) {
    for (const Field& f : qv7::cli::decodeParams(params))
        if (f.key == key) return f;
    return Field{};
}

} // namespace

Q_DECLARE_METATYPE(Setter)
Q_DECLARE_METATYPE(TLinTable)

class tst_ParamFields : public QObject {
    Q_OBJECT
private slots:
    void field_text_data();
    void field_text();
    void zero_record_decodes_without_spare_bits();
    void every_field_key_is_unique();
    void compare_finds_each_changed_field_data();
    void compare_finds_each_changed_field();
    void equal_records_have_no_difference();
    void json_carries_raw_text_and_unit();
    void record_fields_are_csv_text_data();
    void record_fields_are_csv_text();
    void first_appends_at_once_write_one_header();
    void features_follow_the_type_word_data();
    void features_follow_the_type_word();
    void lin_write_names_each_point_read_back_otherwise_data();
    void lin_write_names_each_point_read_back_otherwise();
    void without_simulate_the_real_indicators_are_used();
};

void tst_ParamFields::field_text_data() {
    QTest::addColumn<Setter>("set");
    QTest::addColumn<QString>("key");
    QTest::addColumn<qint64>("raw");
    QTest::addColumn<QString>("text");
    auto row = [](const char* name, Setter set, const char* key, qint64 raw, const QString& text) {
        QTest::newRow(name) << set << QString::fromLatin1(key) << raw << text;
    };
    row(
        "thermocouple input", [](TParamImage& p) { p.InputConfig = 3; }, "input.type", 3, "thermocouple");
    row(
        "input code 7", [](TParamImage& p) { p.InputConfig = 7; }, "input.type", 7,
        "code 7 (no such choice)");
    row(
        "4-20 mA", [](TParamImage& p) { p.InputOptions = 1; }, "input.current_range", 1, "4-20 mA");
    row(
        "0-100 mV", [](TParamImage& p) { p.InputOptions = 4; }, "input.voltage_range", 2, "0-100 mV");
    row(
        "thermocouple W5", [](TParamImage& p) { p.InputOptions = 8 << 4; }, "input.thermocouple", 8, "W5");
    row(
        "thermocouple code 9", [](TParamImage& p) { p.InputOptions = 9 << 4; }, "input.thermocouple", 9,
        "code 9 (no such choice)");
    row(
        "probe differential", [](TParamImage& p) { p.InputOptions = 0x200; }, "input.probe_wiring", 2,
        "probe differential");
    row(
        "cold junction", [](TParamImage& p) { p.InputOptions = 0x400; }, "input.cold_junction", 1, "on");
    row(
        "input options above 16 bits", [](TParamImage& p) { p.InputOptions = 40000 | 0x10000; },
        "input.spare_bits", (40000 | 0x10000) & ~0x7F7,
        QStringLiteral("0x%1").arg((40000 | 0x10000) & ~0x7F7, 0, 16));
    row(
        "32 points", [](TParamImage& p) { p.LinLastPoint = 31; }, "linearisation.last_point", 31, "32");
    row(
        "filter 1.50 s", [](TParamImage& p) { p.Filter = 150; }, "filter", 150, "1.50 s");
    row(
        "filter 655.35 s", [](TParamImage& p) { p.Filter = 65535; }, "filter", 65535, "655.35 s");
    row(
        "display high negative", [](TParamImage& p) { p.DisplayHigh = -1999; }, "display.full_scale", -1999,
        "-1999");
    row(
        "decimal point 4", [](TParamImage& p) { p.DisplayFlags = 4; }, "display.decimal_point", 4, "4");
    row(
        "tenths", [](TParamImage& p) { p.DisplayFlags = 8; }, "display.tenths", 1, "on");
    row(
        "modulo code 0 shows 1", [](TParamImage& p) { p.DisplayFlags = 0x00; }, "display.modulo", 0, "1");
    row(
        "modulo code 2 shows 5", [](TParamImage& p) { p.DisplayFlags = 0x20; }, "display.modulo", 2, "5");
    row(
        "modulo code 3 shows 0", [](TParamImage& p) { p.DisplayFlags = 0x30; }, "display.modulo", 3, "0");
    row(
        "Fahrenheit", [](TParamImage& p) { p.DisplayFlags = 0x100; }, "display.temperature_unit", 1, "°F");
    row(
        "Celsius", [](TParamImage& p) { p.DisplayFlags = 0x0FF; }, "display.temperature_unit", 0, "°C");
    row(
        "output offset", [](TParamImage& p) { p.OutputOption = 1; }, "output.offset", 1,
        "4-20 (offset 20 %)");
    row(
        "38400 baud", [](TParamImage& p) { p.SerialConfig = 5; }, "rs485.baud", 5, "38400");
    row(
        "baud code 7", [](TParamImage& p) { p.SerialConfig = 7; }, "rs485.baud", 7,
        "code 7 (no such choice)");
    row(
        "format 8O2", [](TParamImage& p) { p.SerialConfig = 5 << 3; }, "rs485.format", 5, "8O2");
    row(
        "address 44 of 300", [](TParamImage& p) { p.SerialConfig = 300 * 256; }, "rs485.address", 44, "44");
    row(
        "protection 3", [](TParamImage& p) { p.Protection = 3; }, "protection", 3,
        "the menu and the function keys");
    row(
        "protection 2 as the window keeps it", [](TParamImage& p) { p.Protection = 2; }, "protection", 2,
        "the menu and the function keys");
    row(
        "alarm 4 threshold", [](TParamImage& p) { p.Alarms[3].Threshold = -500; }, "alarm4.threshold", -500,
        "-500");
    row(
        "delay 25.5 s", [](TParamImage& p) { p.Alarms[0].Delay = 255; }, "alarm1.delay", 255, "25.5 s");
    row(
        "delay 15.0 s", [](TParamImage& p) { p.Alarms[1].Delay = 0x96; }, "alarm2.delay", 0x96, "15.0 s");
    row(
        "normally closed", [](TParamImage& p) { p.Alarms[2].AlarmFlags = 0x11; }, "alarm3.contact", 1,
        "normally closed");
    row(
        "LED on NC", [](TParamImage& p) { p.Alarms[2].AlarmFlags = 0x11; }, "alarm3.led", 1,
        "lit when the NC contact is closed");
    row(
        "alarm flag bit 1", [](TParamImage& p) { p.Alarms[0].AlarmFlags = 0x13; }, "alarm1.spare_bits", 2,
        "0x2");
}

void tst_ParamFields::field_text() {
    QFETCH(Setter, set);
    QFETCH(QString, key);
    QFETCH(qint64, raw);
    QFETCH(QString, text);
    TParamImage params;
    set(params);
    const Field f = fieldOf(params, key);
    QCOMPARE(f.key, key);
    QCOMPARE(f.raw, raw);
    QCOMPARE(f.text, text);
}

void tst_ParamFields::zero_record_decodes_without_spare_bits() {
    const TParamImage params;
    const QString text = qv7::cli::paramsText(params, {});
    QVERIFY(!text.contains("unused bits"));
    QVERIFY(text.contains("Type word                          0x0000 (4½ digits)"));
    QVERIFY(text.contains(QRegularExpression("Alarm 4 LED +lit when the NO contact is closed\n")));
}

void tst_ParamFields::every_field_key_is_unique() {
    QSet<QString> keys;
    const QList<Field> fields = qv7::cli::decodeParams(TParamImage{});
    for (const Field& f : fields)
        keys.insert(f.key);
    QCOMPARE(keys.size(), fields.size());
}

void tst_ParamFields::compare_finds_each_changed_field_data() {
    QTest::addColumn<Setter>("set");
    QTest::addColumn<QString>("key");
    QTest::newRow("type word") << Setter([](TParamImage& p) { p.DeviceType = 0x4053; }) << "type_word";
    QTest::newRow("input config") << Setter([](TParamImage& p) { p.InputConfig = 1; }) << "input.type";
    QTest::newRow("high input option bit")
        << Setter([](TParamImage& p) { p.InputOptions = 0x8000; }) << "input.spare_bits";
    QTest::newRow("linearisation bit 1")
        << Setter([](TParamImage& p) { p.LinEnable = 2; }) << "linearisation.spare_bits";
    QTest::newRow("negative filter") << Setter([](TParamImage& p) { p.Filter = -1; }) << "filter";
    QTest::newRow("display flag bit 9")
        << Setter([](TParamImage& p) { p.DisplayFlags = 0x200; }) << "display.spare_bits";
    QTest::newRow("serial bit 6") << Setter([](TParamImage& p) { p.SerialConfig = 0x40; })
                                  << "rs485.spare_bits";
    QTest::newRow("alarm 3 hysteresis")
        << Setter([](TParamImage& p) { p.Alarms[2].Hysteresis = 1; }) << "alarm3.hysteresis";
}

void tst_ParamFields::compare_finds_each_changed_field() {
    QFETCH(Setter, set);
    QFETCH(QString, key);
    TParamImage changed;
    set(changed);
    const auto differences = qv7::cli::compareParams(TParamImage{}, changed);
    QCOMPARE(differences.size(), 1);
    QCOMPARE(differences.first().key, key);
}

void tst_ParamFields::equal_records_have_no_difference() {
    TParamImage a;
    a.Alarms[1].Threshold = 7500;
    TParamImage b = a;
    // Bytes outside the fields (the magic, the unused tail) are no parameter.
    b.Magic[0] = 20;
    b.Unused88[5] = 0xAA;
    QVERIFY(qv7::cli::compareParams(a, b).isEmpty());
}

void tst_ParamFields::json_carries_raw_text_and_unit() {
    TParamImage params;
    params.DeviceType = 0x4053;
    params.Filter = 25;
    const QJsonObject json = qv7::cli::paramsJson(params, "Qv7-4RL-RS");
    QCOMPARE(json.value("typeWord").toInteger(), 0x4053);
    QCOMPARE(json.value("typeWordHex").toString(), QStringLiteral("0x4053"));
    QCOMPARE(json.value("model").toString(), QStringLiteral("Qv7-4RL-RS"));
    const QJsonObject filter = json.value("parameters").toObject().value("filter").toObject();
    QCOMPARE(filter.value("raw").toInteger(), 25);
    QCOMPARE(filter.value("text").toString(), QStringLiteral("0.25 s"));
    QCOMPARE(filter.value("unit").toString(), QStringLiteral("s"));
    QVERIFY(!qv7::cli::paramsJson(params, {}).contains("model"));
}

void tst_ParamFields::features_follow_the_type_word_data() {
    QTest::addColumn<uint>("typeWord");
    QTest::addColumn<QString>("features");
    QTest::newRow("default simulated")
        << 0x4053u << "4½ digits, five-choice input, 4 alarms, analogue output, RS485";
    QTest::newRow("4 digits, current, 2 alarms") << 0x0105u << "4 digits, current input, 2 alarms";
    QTest::newRow("two-choice") << 0x8000u << "4½ digits, two-choice input";
    QTest::newRow("probe and thermocouple")
        << 0x0C00u << "4½ digits, platinum probe input, thermocouple input";
}

void tst_ParamFields::features_follow_the_type_word() {
    QFETCH(uint, typeWord);
    QFETCH(QString, features);
    QCOMPARE(qv7::cli::featuresText(typeWord), features);
}

namespace {
// The curve 0,0 12.5,-20.25 50.75,60 100,125 as lin-write sends it, with `changed` applied.
TLinTable sentTable(const std::function<void(TLinTable&)>& changed = {}) {
    TLinTable table{};
    const float points[4][2] = {{0, 0}, {12.5f, -20.25f}, {50.75f, 60}, {100, 125}};
    for (std::size_t i = 0; i < 4; ++i)
        table[i] = qv7::linTablePoint(points[i][0], points[i][1]);
    if (changed) changed(table);
    return table;
}
} // namespace

void tst_ParamFields::lin_write_names_each_point_read_back_otherwise_data() {
    QTest::addColumn<TLinTable>("back");
    QTest::addColumn<int>("backLast");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("as sent") << sentTable() << 3 << QStringList();
    QTest::newRow("first point") << sentTable([](TLinTable& t) { t[0] = qv7::linTablePoint(1, 0); }) << 3
                                 << QStringList{"point 0: wrote (0, 0), read back (1, 0)"};
    QTest::newRow("last point in use") << sentTable([](TLinTable& t) { t[3] = qv7::linTablePoint(100, 120); })
                                       << 3 << QStringList{"point 3: wrote (100, 125), read back (100, 120)"};
    QTest::newRow("past the last point")
        << sentTable([](TLinTable& t) { t[4] = qv7::linTablePoint(5, 5); }) << 3 << QStringList();
    QTest::newRow("another last point")
        << sentTable() << 2 << QStringList{"last point: wrote 3, read back 2"};
}

void tst_ParamFields::lin_write_names_each_point_read_back_otherwise() {
    QFETCH(TLinTable, back);
    QFETCH(int, backLast);
    QFETCH(QStringList, lines);
    QCOMPARE(qv7::cli::linDifferences(sentTable(), 3, back, backLast), lines);
}

void tst_ParamFields::without_simulate_the_real_indicators_are_used() {
    const qv7::cli::ParseResult real = qv7::cli::parseOptions({"read"});
    QVERIFY(real.options);
    QVERIFY(!real.options->simulate);
    const qv7::cli::ParseResult simulated = qv7::cli::parseOptions({"read", "--simulate"});
    QVERIFY(simulated.options && simulated.options->simulate);
}

void tst_ParamFields::record_fields_are_csv_text_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    QTest::newRow("plain") << "0001"
                           << "0001";
    QTest::newRow("quotes inside") << "say \"hi\", 2"
                                   << "\"say \"\"hi\"\", 2\"";
    // What a spreadsheet would run as a formula is written as text.
    QTest::newRow("=") << "=1+1"
                       << "'=1+1";
    QTest::newRow("-") << "-2+3"
                       << "'-2+3";
    QTest::newRow("@ and a comma") << "@SUM(A1,A2)"
                                   << "\"'@SUM(A1,A2)\"";
}

void tst_ParamFields::record_fields_are_csv_text() {
    QFETCH(QString, text);
    QFETCH(QString, field);
    QCOMPARE(qv7::cli::csvField(text), field);
}

// Eight appends start at once on a record that does not exist yet: one header, then eight lines.
void tst_ParamFields::first_appends_at_once_write_one_header() {
    QTemporaryDir dir;
    const QString path = dir.filePath("line.csv");
    std::vector<std::thread> appenders;
    std::vector<QString> failures(8);
    for (QString& failure : failures)
        appenders.emplace_back([&] { failure = qv7::cli::appendToLog(path, {qv7::cli::LogRecord{}}, 5000); });
    for (std::thread& t : appenders)
        t.join();
    QCOMPARE(failures, std::vector<QString>(8));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), 1 + 8 + 1);
    QCOMPARE(lines.count(qv7::cli::logHeader().toUtf8() + '\r'), 1);
    QCOMPARE(lines.first(), qv7::cli::logHeader().toUtf8() + '\r');
}

QTEST_GUILESS_MAIN(tst_ParamFields)
#include "tst_ParamFields.moc"
