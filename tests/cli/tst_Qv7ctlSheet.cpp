// qv7ctl sheet end to end: the PDF's text (pdftotext) against what show prints of the same file, in
// both languages, with nothing of what the indicator lacks; and --against marking what diff lists.
#include "Qv7ctlRun.h"
#include "indicator/ParamFile.h"
#include "proto/ParamTable.h"
#include "sim/SimulatedIndicator.h"

#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <map>

using Bank = std::map<int, std::uint16_t>;
Q_DECLARE_METATYPE(Bank)

namespace {

// The alarm table's lines, by parameter; the columns name the alarms.
const std::map<std::string, std::pair<QString, QString>> AlarmLines = {
    {"threshold", {"Threshold", "Seuil d'alarme"}},
    {"hysteresis", {"Hysteresis", "Hystérésis de l'alarme"}},
    {"delay", {"Delay", "Delai de l'alarme"}},
    {"contact", {"Contact", "Contact de l'alarme"}},
    {"led", {"LED", "Voyant de l'alarme"}}};

QString collapsed(QString text) {
    return text.replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" "));
}

} // namespace

class tst_Qv7ctlSheet : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> dir_;
    Run qv7ctl(const QStringList& args) { return runQv7ctl(dir_->path(), args); }
    QString text(const QString& pdf, const char* mode) {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {mode, dir_->filePath(pdf), QStringLiteral("-")});
        p.waitForFinished();
        return QString::fromUtf8(p.readAllStandardOutput());
    }

private slots:
    void init() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed: the sheets' text cannot be read");
        dir_ = std::make_unique<QTemporaryDir>();
    }

    void sheet_holds_what_show_prints_and_nothing_the_indicator_lacks_data() {
        QTest::addColumn<int>("typeWord");
        QTest::addColumn<Bank>("changes");
        QTest::addColumn<QString>("table"); // a .LIN file given with --table
        QTest::newRow("fixed current, alarms, output, RS485") << 0x0153 << Bank{} << QString();
        QTest::newRow("fixed voltage 0-1 V, 4 digits, two alarms")
            << 0x0205 << Bank{{1, 0x0002}} << QString();
        QTest::newRow("thermocouple K, Fahrenheit") << 0x0853 << Bank{{1, 0x0410}, {6, 0x0100}} << QString();
        QTest::newRow("two-choice voltage") << 0x8013 << Bank{{0, 1}, {1, 0x0002}} << QString();
        QTest::newRow("five-choice, everything") << 0x4053 << Bank{{11, 3}, {27, 0x1196}} << QString();
        QTest::newRow("five-choice with its table")
            << 0x4053 << Bank{{2, 0x0201}}
            << "Nb_Seg\t\t.equ 3\r\n\t\t.float\t0.00\r\n\t\t.float\t-5.00\r\n\t\t.float\t20.00\r\n"
               "\t\t.float\t35.50\r\n\t\t.float\t100.00\r\n\t\t.float\t110.25\r\nEND\r\n";
    }
    void sheet_holds_what_show_prints_and_nothing_the_indicator_lacks() {
        QFETCH(int, typeWord);
        QFETCH(Bank, changes);
        QFETCH(QString, table);
        Bank bank = qv7::SimulatedIndicator::defaultRegisters(static_cast<std::uint16_t>(typeWord));
        for (const auto& [r, v] : changes)
            bank[r] = v;
        qv7::ConfigRegisters words{};
        for (const auto& [r, v] : bank)
            if (r < static_cast<int>(words.size())) words[static_cast<std::size_t>(r)] = v;
        TParamImage image;
        qv7::paramsFromRegisters(image, words);
        image.DeviceType = static_cast<std::uint32_t>(typeWord);
        qv7::saveParamFile(dir_->filePath("p.QV"), image);
        QStringList extra;
        if (!table.isEmpty()) {
            QVERIFY(writeBytes(dir_->filePath("t.LIN"), table.toLatin1()));
            extra << "--table"
                  << "t.LIN";
        }
        const Run shown = qv7ctl({"show", "p.QV"});
        QCOMPARE(shown.exitCode, 0);
        for (const bool french : {false, true}) {
            const Run made =
                qv7ctl(QStringList{"sheet", "p.QV", "-o", "s.pdf", "--lang", french ? "fr" : "en"} + extra);
            QVERIFY2(made.exitCode == 0, qPrintable(made.err));
            const QString layout = text("s.pdf", "-layout"), raw = collapsed(text("s.pdf", "-raw"));
            const auto lineWith = [&](const QString& label) {
                for (const QString& line : layout.split('\n'))
                    if (line.contains(
                            QRegularExpression("(^|\\s)" + QRegularExpression::escape(label) + "\\s")))
                        return line;
                return QString();
            };
            for (const QString& line : shown.out.split('\n', Qt::SkipEmptyParts).mid(1)) {
                const qv7::ParamRow* row = nullptr;
                for (const qv7::ParamRow& r : qv7::paramTable())
                    if (QString::fromStdString(r.english) == line.left(34).trimmed()) row = &r;
                QVERIFY2(row, qPrintable(line));
                QString value = line.mid(35).remove(" (display units)");
                if (const qv7::ParamChoice* c = qv7::choiceOf(*row, qv7::rawValue(*row, image)); c && french)
                    value = QString::fromStdString(c->french);
                else if (french)
                    value.replace('.', ',');
                const bool present = qv7::paramPresent(*row, image.DeviceType);
                if (row->alarm >= 0) {
                    const auto& names = AlarmLines.at(row->key.substr(row->key.find('.') + 1));
                    const QString label = french ? names.second : names.first;
                    const QString column = QString(french ? "Alarme %1" : "Alarm %1").arg(row->alarm + 1);
                    QCOMPARE(layout.contains(column), present);
                    if (present)
                        QVERIFY2(raw.mid(raw.indexOf(label + ' ')).contains(value), qPrintable(line));
                    continue;
                }
                const QString label = QString::fromStdString(french ? row->french : row->english);
                QVERIFY2(lineWith(label).contains(value) == present, qPrintable(label + " / " + value));
            }
            QVERIFY(layout.contains(QStringLiteral("0x%1").arg(typeWord, 4, 16, QLatin1Char('0'))));
            QVERIFY(layout.contains(qv7::paramFileSha256(image)));
            // Ranges as the pages take them: decimals kept, points counted from 2 as show counts them.
            for (const auto& [key, range] : {std::pair{"filter", QStringLiteral("0.00 … 99.99 s")},
                                             {"linearisation.last_point", QStringLiteral("2 … 32")}}) {
                const qv7::ParamRow& row = *qv7::findParam(key);
                const QString label = QString::fromStdString(french ? row.french : row.english);
                if (qv7::paramPresent(row, image.DeviceType))
                    QVERIFY2(lineWith(label).contains(french ? QString(range).replace('.', ',') : range),
                             qPrintable(lineWith(label)));
            }
            if (!table.isEmpty())
                QVERIFY2(raw.contains(french ? "0 0,00 -5,00 1 20,00 35,50 2 100,00 110,25"
                                             : "0 0.00 -5.00 1 20.00 35.50"),
                         qPrintable(raw));
        }
    }

    void against_marks_the_rows_diff_lists_data() {
        QTest::addColumn<QStringList>("assignments");
        QTest::newRow("none") << QStringList{};
        QTest::newRow("protection and baud rate") << QStringList{"protection=none", "rs485.baud=19200"};
        QTest::newRow("filter and two alarms")
            << QStringList{"filter=25", "alarm2.delay=50", "alarm4.led=lit when the NO contact is closed"};
    }
    void against_marks_the_rows_diff_lists() {
        QFETCH(QStringList, assignments);
        QCOMPARE(qv7ctl({"read", "--simulate", "-o", "ref.QV"}).exitCode, 0);
        if (!assignments.isEmpty()) QCOMPARE(qv7ctl(QStringList{"set", "ref.QV"} + assignments).exitCode, 0);
        const Run diff = qv7ctl({"diff", "ref.QV", "--simulate"});
        QStringList listed;
        for (const QString& line : diff.out.split('\n', Qt::SkipEmptyParts))
            listed << line.section(": file ", 0, 0);
        const Run made = qv7ctl({"sheet", "--simulate", "--against", "ref.QV", "-o", "d.pdf"});
        QVERIFY2(made.exitCode == 0, qPrintable(made.err));
        // A marked row's label, an alarm's as "Alarm N" and its line.
        const QStringList lines = text("d.pdf", "-layout").split('\n');
        const QString columns =
            *std::find_if(lines.begin(), lines.end(), [](const QString& l) { return l.contains("Alarm 1"); });
        QStringList marked;
        for (const QString& line : lines) {
            if (!line.contains(QStringLiteral("◆")) || line.contains("differs from")) continue;
            if (line.trimmed().startsWith(QStringLiteral("◆"))) {
                marked << line.trimmed().mid(2).section("  ", 0, 0);
                continue;
            }
            for (qsizetype at = line.indexOf(QStringLiteral("◆")); at >= 0;
                 at = line.indexOf(QStringLiteral("◆"), at + 1)) {
                const QString name = line.trimmed().section(' ', 0, 0);
                marked << "Alarm " + QString::number(columns.left(at + 6).count("Alarm ")) + ' ' +
                              (name == "LED" ? name : name.toLower());
            }
        }
        listed.sort();
        marked.sort();
        QCOMPARE(marked, listed);
        QCOMPARE(text("d.pdf", "-layout").contains("value differs from ref.QV"), !listed.isEmpty());
    }

    // A table longer than a page flows over the pages under a heading of its own: every point is
    // printed, and nothing but the footer lies at the height of a page's footer.
    void a_long_table_flows_over_the_pages_clear_of_the_footer() {
        QCOMPARE(qv7ctl({"read", "--simulate", "-o", "p.QV"}).exitCode, 0);
        QByteArray lin = "Nb_Seg\t\t.equ 360\r\n";
        for (int i = 0; i <= 360; ++i)
            lin += QStringLiteral("\t\t.float\t%1\r\n\t\t.float\t%2\r\n")
                       .arg(i * 0.25, 0, 'f', 2)
                       .arg(500 + i)
                       .toLatin1();
        QVERIFY(writeBytes(dir_->filePath("t.LIN"), lin + "END\r\n"));
        const Run made = qv7ctl({"sheet", "p.QV", "--table", "t.LIN", "-o", "s.pdf"});
        QVERIFY2(made.exitCode == 0, qPrintable(made.err));
        // Every word with its box, page by page (pdftotext -bbox).
        const QRegularExpression word(
            R"re(<word xMin="[\d.]+" yMin="([\d.]+)" xMax="[\d.]+" yMax="([\d.]+)">([^<]*)</word>)re");
        QSet<QString> printed;
        const QStringList pages = text("s.pdf", "-bbox").split("<page ").mid(1);
        QVERIFY(pages.size() >= 3);
        for (const QString& page : pages) {
            // Below the footer's first line (the sign-off names) lie only its own lines.
            QList<QRegularExpressionMatch> words;
            QList<double> footer;
            for (auto m = word.globalMatch(page); m.hasNext();) {
                words << m.next();
                printed.insert(words.last().captured(3));
                if (QStringList{"Configured", "Date:", "Page"}.contains(words.last().captured(3)))
                    footer << words.last().captured(1).toDouble();
            }
            QVERIFY(footer.size() >= 3);
            for (const auto& w : words)
                QVERIFY2(
                    w.captured(2).toDouble() <= footer.first() ||
                        std::any_of(footer.begin(), footer.end(),
                                    [&w](double f) { return std::abs(f - w.captured(1).toDouble()) < 1; }),
                    qPrintable(w.captured(3)));
        }
        for (int i = 0; i <= 360; ++i)
            QVERIFY2(printed.contains(QStringLiteral("%1.00").arg(500 + i)), qPrintable(QString::number(i)));
    }

    // Every page names its instrument (model, serial, date) and its place among the pages.
    void every_page_names_its_instrument_and_its_number_data() {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("page");
        QTest::newRow("English") << "en"
                                 << "Serial number 0001"
                                 << "Page %1 of %2";
        QTest::newRow("French") << "fr"
                                << "Numéro de série 0001"
                                << "Page %1 / %2";
    }
    void every_page_names_its_instrument_and_its_number() {
        QFETCH(QString, lang);
        QFETCH(QString, serial);
        QFETCH(QString, page);
        const Run made = qv7ctl({"sheet", "--simulate", "--lang", lang, "-o", "p.pdf"});
        QVERIFY2(made.exitCode == 0, qPrintable(made.err));
        QStringList pages = text("p.pdf", "-layout").split('\f');
        pages.removeLast(); // after the last form feed
        QVERIFY(pages.size() >= 2);
        const QString date = QDate::currentDate().toString(Qt::ISODate);
        for (qsizetype n = 0; n < pages.size(); ++n) {
            const QString foot = collapsed(pages[n].trimmed().section('\n', -1));
            QVERIFY2(foot.startsWith(QStringLiteral("Qv7-4RL-RS · ") + serial + QStringLiteral(" · ") + date),
                     qPrintable(foot));
            QVERIFY2(foot.endsWith(page.arg(n + 1).arg(pages.size())), qPrintable(foot));
        }
    }

    void a_sheet_that_cannot_be_saved_leaves_nothing() {
        QCOMPARE(qv7ctl({"read", "--simulate", "-o", "p.QV"}).exitCode, 0);
        const Run run = qv7ctl({"sheet", "p.QV", "-o", "absent/s.pdf"});
        QCOMPARE(run.exitCode, 4);
        QVERIFY2(run.err.contains("absent/s.pdf: cannot save the sheet"), qPrintable(run.err));
        QCOMPARE(qv7ctl({"sheet", "p.QV"}).exitCode, 1);
        QCOMPARE(qv7ctl({"sheet", "--simulate", "--table", "t.LIN", "-o", "s.pdf"}).exitCode, 1);
        QVERIFY(!QFile::exists(dir_->filePath("s.pdf")));
    }
};

QTEST_MAIN(tst_Qv7ctlSheet)
#include "tst_Qv7ctlSheet.moc"
