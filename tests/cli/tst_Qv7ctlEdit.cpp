// qv7ctl's offline editing: set accepting and refusing values per indicator type as the parameter
// pages do, and show --json turned back into the same 200 bytes by import.
#include "Qv7ctlRun.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

namespace {

// Type words: five-choice 4½ digits with 4 alarms, output and RS485; two-choice with 2 alarms; a
// fixed thermocouple 4-digit indicator with 2 alarms.
constexpr int FiveChoice = 0x4053;
constexpr int TwoChoice = 0x8001;
constexpr int FixedThermocouple = 0x0805;
// The raw value a refused assignment expects: none.
constexpr qint64 Refused = std::numeric_limits<qint64>::min();

} // namespace

class tst_Qv7ctlEdit : public QObject {
    Q_OBJECT
private slots:
    void init();
    void set_accepts_what_the_pages_offer_data();
    void set_accepts_what_the_pages_offer();
    void show_json_imports_to_the_same_bytes_data();
    void show_json_imports_to_the_same_bytes();
    void import_refuses_what_is_no_record();
    void import_refuses_a_value_it_would_have_to_guess_data();
    void import_refuses_a_value_it_would_have_to_guess();
    void import_refuses_a_text_that_says_two_things_data();
    void import_refuses_a_text_that_says_two_things();

private:
    Run qv7ctl(const QStringList& args);
    QByteArray fileOf(int typeWord);
    QByteArray read(const QString& name) const;
    std::unique_ptr<QTemporaryDir> dir_;
};

void tst_Qv7ctlEdit::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

Run tst_Qv7ctlEdit::qv7ctl(const QStringList& args) {
    return runQv7ctl(dir_->path(), args);
}

QByteArray tst_Qv7ctlEdit::read(const QString& name) const {
    return readBytes(dir_->filePath(name));
}

// The parameter file of a simulated indicator of this type, saved as p.QV.
QByteArray tst_Qv7ctlEdit::fileOf(int typeWord) {
    const Run run = qv7ctl({"read", "--simulate=" + QString::number(typeWord), "-o", "p.QV"});
    if (run.exitCode != 0) qWarning("%s", qPrintable(run.err));
    return read("p.QV");
}

void tst_Qv7ctlEdit::set_accepts_what_the_pages_offer_data() {
    QTest::addColumn<int>("typeWord");
    QTest::addColumn<QString>("assignment");
    QTest::addColumn<qint64>("raw");
    QTest::addColumn<QString>("message");
    QTest::newRow("five-choice: potentiometer") << FiveChoice << "input.type=potentiometer" << 4LL << "";
    QTest::newRow("two-choice: no potentiometer") << TwoChoice << "input.type=4" << Refused << "takes 0 to 1";
    QTest::newRow("five-choice: 0-100 mV") << FiveChoice << "input.voltage_range=0-100 mV" << 2LL << "";
    QTest::newRow("two-choice: no 0-100 mV")
        << TwoChoice << "input.voltage_range=0-100 mV" << Refused << "0 to 1";
    QTest::newRow("fixed input") << FixedThermocouple << "input.type=current" << Refused
                                 << "input of this indicator is fixed";
    QTest::newRow("fixed thermocouple: W5") << FixedThermocouple << "input.thermocouple=W5" << 8LL << "";
    QTest::newRow("two alarms: no alarm 3")
        << FixedThermocouple << "alarm3.threshold=10" << Refused << "no alarm 3";
    QTest::newRow("4 digits: 9999") << FixedThermocouple << "display.full_scale=9999" << 9999LL << "";
    QTest::newRow("4 digits: not 10000")
        << FixedThermocouple << "display.full_scale=10000" << Refused << "-1999 to 9999";
    QTest::newRow("4½ digits: -19999") << FiveChoice << "display.zero=-19999" << -19999LL << "";
    QTest::newRow("4½ digits: not -20000")
        << FiveChoice << "display.zero=-20000" << Refused << "-19999 to 19999";
    QTest::newRow("4 digits: no point 4")
        << FixedThermocouple << "display.decimal_point=4" << Refused << "0 to 3";
    QTest::newRow("no RS485") << FixedThermocouple << "rs485.address=5" << Refused << "has no RS485";
    QTest::newRow("38400 baud is code 5") << FiveChoice << "rs485.baud=38400" << 5LL << "";
    QTest::newRow("filter as shown") << FiveChoice << "filter=1.50 s" << 150LL << "";
    QTest::newRow("filter beyond 99.99 s") << FiveChoice << "filter=10000" << Refused << "0 to 9999";
    QTest::newRow("delay beyond one byte") << FiveChoice << "alarm1.delay=256" << Refused << "0 to 255";
    QTest::newRow("contact by its text") << FiveChoice << "alarm4.contact=normally closed" << 1LL << "";
    QTest::newRow("a lit alarm lamp put out") << FiveChoice << "alarm3.led=0" << 0LL << "";
    QTest::newRow("protection code 3") << FiveChoice << "protection=3" << Refused << "0 to 2";
    QTest::newRow("no output") << TwoChoice << "output.offset=1" << Refused << "no analogue output";
    QTest::newRow("spare bits") << FiveChoice << "input.spare_bits=8" << Refused << "no page sets";
    QTest::newRow("unknown key") << FiveChoice << "alarm1.colour=red" << Refused << "alarm1.colour";
    QTest::newRow("no alarm 5") << FiveChoice << "alarm5.threshold=1" << Refused << "alarm5.threshold";
    QTest::newRow("no value") << FiveChoice << "filter" << Refused << "not KEY=VALUE";
}

void tst_Qv7ctlEdit::set_accepts_what_the_pages_offer() {
    QFETCH(int, typeWord);
    QFETCH(QString, assignment);
    QFETCH(qint64, raw);
    QFETCH(QString, message);
    const QByteArray before = fileOf(typeWord);
    QCOMPARE(before.size(), 200);
    const Run run = qv7ctl({"set", "p.QV", assignment});
    const QString key = assignment.section('=', 0, 0);
    if (raw == Refused) {
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QCOMPARE(read("p.QV"), before);
        return;
    }
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QCOMPARE(run.out, QStringLiteral("p.QV: 1 field(s) set\n"));
    const Run shown = qv7ctl({"show", "p.QV", "--json"});
    const QJsonObject fields =
        QJsonDocument::fromJson(shown.out.toUtf8()).object().value("parameters").toObject();
    QCOMPARE(fields.value(key).toObject().value("raw").toInteger(-1), raw);
    // Every other field keeps its value.
    QVERIFY(writeBytes(dir_->filePath("before.QV"), before));
    const Run original = qv7ctl({"show", "before.QV", "--json"});
    QJsonObject expected =
        QJsonDocument::fromJson(original.out.toUtf8()).object().value("parameters").toObject();
    expected.insert(key, fields.value(key));
    QCOMPARE(fields, expected);
}

void tst_Qv7ctlEdit::show_json_imports_to_the_same_bytes_data() {
    QTest::addColumn<int>("typeWord");
    QTest::addColumn<int>("offset"); // a byte set to `value` before the round trip; -1 none
    QTest::addColumn<int>("value");
    QTest::newRow("five-choice") << FiveChoice << -1 << 0;
    QTest::newRow("two-choice") << TwoChoice << -1 << 0;
    QTest::newRow("fixed thermocouple") << FixedThermocouple << -1 << 0;
    QTest::newRow("input option bit 17") << FiveChoice << 34 << 0x02;
    QTest::newRow("alarm 4 flag bit 7") << FiveChoice << 64 + 18 + 5 << 0x80;
    QTest::newRow("negative alarm 1 threshold") << FiveChoice << 65 << 0xF0;
    QTest::newRow("filter high byte") << FiveChoice << 43 << 0x7F;
    QTest::newRow("rs485 bit 6") << FiveChoice << 56 << 0x40;
}

void tst_Qv7ctlEdit::show_json_imports_to_the_same_bytes() {
    QFETCH(int, typeWord);
    QFETCH(int, offset);
    QFETCH(int, value);
    QByteArray bytes = fileOf(typeWord);
    QCOMPARE(bytes.size(), 200);
    if (offset >= 0) {
        bytes[offset] = static_cast<char>(value);
        QVERIFY(writeBytes(dir_->filePath("p.QV"), bytes));
    }
    const Run shown = qv7ctl({"show", "p.QV", "--json"});
    QCOMPARE(shown.exitCode, 0);
    QVERIFY(writeBytes(dir_->filePath("p.json"), shown.out.toUtf8()));
    const Run imported = qv7ctl({"import", "p.json", "-o", "q.QV"});
    QVERIFY2(imported.exitCode == 0, qPrintable(imported.err));
    QCOMPARE(read("q.QV").toHex(' '), bytes.toHex(' '));
}

void tst_Qv7ctlEdit::import_refuses_what_is_no_record() {
    QVERIFY(writeBytes(dir_->filePath("bad.json"),
                       R"({"typeWord": 16467, "parameters": {"filter": {"raw": 4294967296}}})"));
    const Run run = qv7ctl({"import", "bad.json", "-o", "q.QV"});
    QCOMPARE(run.exitCode, 4);
    // One parameter alone is not a record: the others would be guessed.
    QVERIFY2(run.err.contains("input.type is missing"), qPrintable(run.err));
    QVERIFY(!QFile::exists(dir_->filePath("q.QV")));
    QCOMPARE(qv7ctl({"import", "absent.json", "-o", "q.QV"}).exitCode, 4);
    QCOMPARE(qv7ctl({"import", "bad.json"}).exitCode, 1);
}

void tst_Qv7ctlEdit::import_refuses_a_value_it_would_have_to_guess_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QJsonValue>("raw"); // undefined: the parameter left out
    QTest::addColumn<QString>("message");
    QTest::newRow("not a whole number")
        << "alarm1.threshold" << QJsonValue(1200.5) << "alarm1.threshold has no whole \"raw\" number";
    QTest::newRow("a string") << "filter" << QJsonValue("150") << "filter has no whole \"raw\" number";
    QTest::newRow("beyond its byte") << "alarm1.delay" << QJsonValue(256) << "256 does not fit alarm1.delay";
    QTest::newRow("negative bits") << "input.thermocouple" << QJsonValue(-1)
                                   << "-1 does not fit input.thermocouple";
    QTest::newRow("beyond 16 bits") << "alarm2.hysteresis" << QJsonValue(32768)
                                    << "32768 does not fit alarm2.hysteresis";
    QTest::newRow("left out") << "rs485.baud" << QJsonValue(QJsonValue::Undefined) << "rs485.baud is missing";
    QTest::newRow("no raw") << "protection" << QJsonValue(QJsonValue::Null) << "protection has no whole";
    // A code outside the choices is refused here as write refuses to send it.
    QTest::newRow("a choice outside the table")
        << "protection" << QJsonValue(-1) << "holds code -1, which this indicator type does not offer";
}

void tst_Qv7ctlEdit::import_refuses_a_value_it_would_have_to_guess() {
    QFETCH(QString, key);
    QFETCH(QJsonValue, raw);
    QFETCH(QString, message);
    QCOMPARE(fileOf(FiveChoice).size(), 200);
    const Run shown = qv7ctl({"show", "p.QV", "--json"});
    QJsonObject root = QJsonDocument::fromJson(shown.out.toUtf8()).object();
    QJsonObject parameters = root.value("parameters").toObject();
    QVERIFY(parameters.contains(key));
    if (raw.isUndefined()) {
        parameters.remove(key);
    } else {
        QJsonObject field = parameters.value(key).toObject();
        // The raw value alone: its text, which show wrote for the old value, would disagree first.
        field.remove(raw.isNull() ? "raw" : "text");
        if (!raw.isNull()) field.insert("raw", raw);
        parameters.insert(key, field);
    }
    root.insert("parameters", parameters);
    QVERIFY(writeBytes(dir_->filePath("p.json"), QJsonDocument(root).toJson()));
    const Run run = qv7ctl({"import", "p.json", "-o", "q.QV"});
    QCOMPARE(run.exitCode, 4);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(!QFile::exists(dir_->filePath("q.QV")));
}

void tst_Qv7ctlEdit::import_refuses_a_text_that_says_two_things_data() {
    QTest::addColumn<QString>("from"); // a piece of show --json's text, replaced by `to`
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("message");
    QTest::newRow("a key twice") << "\"typeWord\": 16467,"
                                 << "\"typeWord\": 16467, \"typeWord\": 16448,"
                                 << "\"typeWord\" is given twice";
    QTest::newRow("a key twice inside a field") << "\"raw\": 3,"
                                                << "\"raw\": 3, \"raw\": 4,"
                                                << "is given twice";
    QTest::newRow("an unknown key") << "\"parameters\""
                                    << "\"parametres\": {}, \"parameters\""
                                    << "unknown key \"parametres\"";
    QTest::newRow("an unknown field key") << "\"raw\": 3,"
                                          << "\"raw\": 3, \"rwa\": 4,"
                                          << "unknown key \"parameters.";
    QTest::newRow("hex and word disagree") << "\"0x4053\""
                                           << "\"0x4054\""
                                           << "\"typeWordHex\" \"0x4054\" disagrees";
    QTest::newRow("type word above 16 bits") << "\"typeWord\": 16467"
                                             << "\"typeWord\": 81987"
                                             << "\"typeWord\" 81987 is no 16-bit type word";
    QTest::newRow("text and raw disagree") << "\"text\": \"9600\""
                                           << "\"text\": \"19200\""
                                           << "rs485.baud: \"text\" \"19200\" disagrees with \"raw\" 3";
}

void tst_Qv7ctlEdit::import_refuses_a_text_that_says_two_things() {
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, message);
    QCOMPARE(fileOf(FiveChoice).size(), 200);
    const Run shown = qv7ctl({"show", "p.QV", "--json"});
    QVERIFY(shown.out.contains(from));
    QString text = shown.out;
    text.replace(text.indexOf(from), from.size(), to);
    QVERIFY(writeBytes(dir_->filePath("p.json"), text.toUtf8()));
    const Run run = qv7ctl({"import", "p.json", "-o", "q.QV"});
    QCOMPARE(run.exitCode, 4);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(!QFile::exists(dir_->filePath("q.QV")));
}

QTEST_GUILESS_MAIN(tst_Qv7ctlEdit)
#include "tst_Qv7ctlEdit.moc"
