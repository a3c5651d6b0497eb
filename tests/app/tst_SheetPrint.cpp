// Ctrl+P in the main window: the sheet of the pages as they stand, in the window's language, the
// values typed since the last read marked until they are written.
#include "PagesRig.h"
#include "app/Language.h"
#include "app/PageControl.h"
#include "app/SheetPrint.h"
#include "app/pages/AlarmPage.h"
#include "proto/ParamTable.h"

#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <map>
#include <set>

using namespace pagestest;

class tst_SheetPrint : public QObject {
    Q_OBJECT
    // The sheet Ctrl+P prints to a PDF file, as pdftotext lays it out.
    static QString printed(const QString& path, bool english) {
        QFile::remove(path);
        qv7::setLanguage(english ? qv7::Language::English : qv7::Language::French);
        MainForm->findChild<TSheetPrint*>(QStringLiteral("SheetPrint"))->askPrinter =
            [path](QPrinter& printer) {
                printer.setOutputFormat(QPrinter::PdfFormat);
                printer.setOutputFileName(path);
                return true;
            };
        QApplication::setActiveWindow(MainForm);
        QTest::keyClick(MainForm, Qt::Key_P, Qt::ControlModifier);
        // A table to read first delays the printer's question.
        if (!QTest::qWaitFor([&path] { return QFile::exists(path); }, 5000)) return QString();
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
        text.waitForFinished();
        qv7::setLanguage(qv7::Language::French);
        return QString::fromUtf8(text.readAllStandardOutput());
    }

private slots:
    void init() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed: the sheet's text cannot be read");
    }

    void values_not_yet_written_are_marked_until_written_data() {
        QTest::addColumn<bool>("english");
        QTest::addColumn<QString>("line");   // the alarm table's line of the threshold
        QTest::addColumn<QString>("legend"); // what the mark means
        QTest::newRow("French") << false << "Seuil d'alarme"
                                << "valeur pas encore écrite dans l'indicateur";
        QTest::newRow("English") << true << "Threshold"
                                 << "value not yet written to the indicator";
    }
    void values_not_yet_written_are_marked_until_written() {
        QFETCH(bool, english);
        QFETCH(QString, line);
        QFETCH(QString, legend);
        QTemporaryDir dir;
        Rig rig(0x4053);
        QVERIFY(rig.ready());
        QLineEdit* threshold = MainForm->alarmPage(1)->EdAlr;
        threshold->setText(QStringLiteral("1234"));
        const QString path = dir.filePath(QStringLiteral("s.pdf"));
        const QStringList lines = printed(path, english).split('\n');
        QStringList marked;
        for (const QString& l : lines)
            if (l.contains(QStringLiteral("◆"))) marked << l.simplified();
        QCOMPARE(marked.size(), 2);
        QVERIFY2(marked[0].contains(legend), qPrintable(marked[0]));
        QVERIFY2(marked[1].startsWith(line + QStringLiteral(" ◆ 1234")), qPrintable(marked[1]));
        QVERIFY(rig.writeAll());
        const QString after = printed(path, english);
        QVERIFY2(after.contains(line + ' ') && after.contains(QStringLiteral("1234")), qPrintable(after));
        QVERIFY(!after.contains(QStringLiteral("◆")));
    }

    // With the linearisation on, Ctrl+P draws the curve the indicator holds: the table is read first
    // when neither the editor nor a write brought it since the connection.
    void the_sheet_reads_the_curve_it_draws() {
        QTemporaryDir dir;
        auto bank = qv7::SimulatedIndicator::defaultRegisters(0x4053);
        bank[2] = 1 | 1 << 8; // on, points 0 and 1
        Rig rig(0x4053, bank);
        QVERIFY(rig.ready());
        const QString text = printed(dir.filePath(QStringLiteral("s.pdf")), false);
        QVERIFY2(
            text.contains(QStringLiteral("2 points, de la table de l'indicateur")),
            qPrintable(text.split(QLatin1Char(0x0a)).filter(QStringLiteral("inéa")).join(QLatin1Char(0x0a))));
        QVERIFY(!text.contains(QStringLiteral("table non")));
        QVERIFY(text.contains(QStringLiteral("Entrée (%)")) &&
                text.contains(QStringLiteral("Affichage (%)")));
    }

    // The sheet's groups are the window's pages: each row sits in the group captioned as the tab of
    // the page whose control sets it, each alarm in the column of its page; every parameter a page
    // sets is on the sheet.
    void groups_are_the_pages_that_set_their_rows() {
        Rig rig(0x4053);
        QVERIFY(rig.ready());
        std::map<std::string, std::set<QString>> tabsOf; // key -> captions of the pages setting it
        TPageControl* tabs = MainForm->pageControl();
        for (int i = 0; i < tabs->count(); ++i)
            for (const QWidget* control : tabs->widget(i)->findChildren<QWidget*>())
                if (const QVariant key = control->property("param"); key.isValid())
                    tabsOf[key.toString().toStdString()].insert(
                        tabs->tabText(i).remove(QStringLiteral(" *")));
        const auto sheet = MainForm->findChild<TSheetPrint*>(QStringLiteral("SheetPrint"))->currentSheet();
        const qv7::sheet::SheetContent content = qv7::sheet::buildSheet(sheet);
        std::set<std::string> onSheet;
        for (const qv7::sheet::SheetGroup& group : content.groups)
            for (const qv7::sheet::SheetRow& row : group.rows) {
                onSheet.insert(row.key);
                if (qv7::findParam(row.key)->onPage)
                    QVERIFY2(tabsOf[row.key].count(group.caption),
                             qPrintable(QString::fromStdString(row.key)));
            }
        for (int k = 0; k < content.alarms.columns.size(); ++k) {
            const std::string key = "alarm" + std::to_string(k + 1) + ".threshold";
            QVERIFY(tabsOf[key].count(content.alarms.columns[k]));
            onSheet.insert(key);
        }
        QCOMPARE(content.alarms.columns.size(), 4);
        for (const auto& [key, captions] : tabsOf)
            if (key.rfind("alarm", 0) != 0) QVERIFY2(onSheet.count(key), key.c_str());
    }
};

QTEST_MAIN(tst_SheetPrint)
#include "tst_SheetPrint.moc"
