// The pages' masked edit, tried by typing: what can be typed into the masks of EdFilter
// ("!90,00;1;_") and EdDel ("!90,0;1;_"), what the text then holds and how it is right-aligned;
// and the number a page reads back from it whatever the process-wide separator has become.
#include "app/Application.h"
#include "app/pages/PageKit.h"
#include "widgets/DecimalSeparator.h"

#include <QTest>

using qv7::pages::TMaskEdit;

namespace {

// Selects everything, as a click or Tab into the edit does, then types `keys` and leaves the
// edit with Return when `commit`.
QString typeInto(TMaskEdit& edit, const QString& keys, bool commit = true) {
    edit.selectAll();
    QTest::keyClicks(&edit, keys);
    if (commit) QTest::keyClick(&edit, Qt::Key_Return);
    return edit.text();
}

} // namespace

class TestMaskEdit : public QObject {
    Q_OBJECT

private slots:
    void mask_is_read_in_the_original_language() {
        TMaskEdit edit;
        edit.setEditMask(QStringLiteral("!90,00;1;_"));
        QVERIFY(edit.isMasked());
        QVERIFY(edit.rightAligned());
        QCOMPARE(int(edit.fields().size()), 2);
        QCOMPARE(edit.fields()[0].places, 2);
        QCOMPARE(edit.fields()[0].required, 1); // '9' optional, '0' required
        QCOMPARE(edit.fields()[1].places, 2);
        QCOMPARE(edit.fields()[1].required, 2);
        QCOMPARE(edit.literals(), QStringLiteral(","));
        QCOMPARE(edit.maskLength(), 5); // at most 5 characters, as the page gives it
        edit.setEditMask(QStringLiteral("!90,0;1;_"));
        QCOMPARE(edit.maskLength(), 4);
        edit.setEditMask(QString());
        QVERIFY(!edit.isMasked());
    }

    void typing_into_the_filter_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text");
        QTest::newRow("0,25") << "0,25"
                              << " 0,25";
        QTest::newRow("point typed for the comma") << "0.25"
                                                   << " 0,25";
        QTest::newRow("one digit right-aligned") << "1,5"
                                                 << " 1,50";
        QTest::newRow("two digits fill the places") << "12,34"
                                                    << "12,34";
        QTest::newRow("whole number") << "7"
                                      << " 7,00";
        QTest::newRow("third whole digit goes on after the comma") << "123"
                                                                   << "12,30";
        QTest::newRow("third decimal refused") << "1,234"
                                               << " 1,23";
        QTest::newRow("letters refused") << "a1b,c5"
                                         << " 1,50";
        QTest::newRow("sign refused") << "-3"
                                      << " 3,00";
        QTest::newRow("decimals only: the required whole digit holds 0") << ",5"
                                                                         << " 0,50";
        QTest::newRow("nothing typed: the empty form") << ""
                                                       << "  ,  ";
        QTest::newRow("99,99 the largest") << "99,99"
                                           << "99,99";
    }
    void typing_into_the_filter() {
        QFETCH(QString, keys);
        QFETCH(QString, text);
        TMaskEdit edit;
        edit.setEditMask(QStringLiteral("!90,00;1;_"));
        edit.setText(QStringLiteral("  ,  "));
        QCOMPARE(typeInto(edit, keys), text);
        QCOMPARE(edit.maskedText(), text);
    }

    void typing_into_a_delay_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text");
        QTest::newRow("25,5") << "25,5"
                              << "25,5";
        QTest::newRow("30,0") << "30,0"
                              << "30,0";
        QTest::newRow("3") << "3"
                           << " 3,0";
        QTest::newRow("0,1") << "0.1"
                             << " 0,1";
        QTest::newRow("second decimal refused") << "1,25"
                                                << " 1,2";
    }
    void typing_into_a_delay() {
        QFETCH(QString, keys);
        QFETCH(QString, text);
        TMaskEdit edit;
        edit.setEditMask(QStringLiteral("!90,0;1;_"));
        edit.setText(QStringLiteral(" 0,0"));
        QCOMPARE(typeInto(edit, keys), text);
    }

    void a_full_field_is_overwritten_at_the_cursor() {
        TMaskEdit edit;
        edit.setEditMask(QStringLiteral("!90,00;1;_"));
        edit.setMaskedText(QStringLiteral("1,50"));
        QCOMPARE(edit.text(), QStringLiteral(" 1,50"));
        edit.setCursorPosition(3); // before the 5
        QTest::keyClick(&edit, Qt::Key_2);
        QTest::keyClick(&edit, Qt::Key_Return);
        QCOMPARE(edit.text(), QStringLiteral(" 1,20"));
        // A digit typed at the end of the full whole part goes on past the comma, over the next digit.
        edit.setMaskedText(QStringLiteral("12,50"));
        edit.setCursorPosition(2);
        QTest::keyClick(&edit, Qt::Key_3);
        QTest::keyClick(&edit, Qt::Key_Return);
        QCOMPARE(edit.text(), QStringLiteral("12,30"));
    }

    void the_comma_typed_before_the_comma_steps_over_it() {
        TMaskEdit edit;
        edit.setEditMask(QStringLiteral("!90,00;1;_"));
        edit.setMaskedText(QStringLiteral("12,50"));
        edit.setCursorPosition(2);
        QTest::keyClicks(&edit, QStringLiteral(",7"));
        QTest::keyClick(&edit, Qt::Key_Return);
        QCOMPARE(edit.text(), QStringLiteral("12,70"));
    }

    void backspace_and_delete_do_not_erase_the_literal() {
        TMaskEdit edit;
        edit.setEditMask(QStringLiteral("!90,00;1;_"));
        edit.setMaskedText(QStringLiteral("12,50"));
        edit.setCursorPosition(3); // after the comma
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QCOMPARE(edit.text(), QStringLiteral("12,50"));
        QCOMPARE(edit.cursorPosition(), 2);
        QTest::keyClick(&edit, Qt::Key_Delete);
        QCOMPARE(edit.text(), QStringLiteral("12,50"));
        QCOMPARE(edit.cursorPosition(), 3);
        QTest::keyClick(&edit, Qt::Key_Delete); // the 5
        QTest::keyClick(&edit, Qt::Key_Return);
        QCOMPARE(edit.text(), QStringLiteral("12,00"));
    }

    void leaving_the_edit_puts_the_text_in_form() {
        QWidget window;
        auto* edit = new TMaskEdit(&window);
        auto* other = new QLineEdit(&window);
        other->move(0, 40);
        edit->setEditMask(QStringLiteral("!90,0;1;_"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("7"));
        QCOMPARE(edit->text(), QStringLiteral("7"));
        other->setFocus();
        QTRY_COMPARE(edit->text(), QStringLiteral(" 7,0"));
    }

    void the_mask_follows_the_separator_it_was_given() {
        TMaskEdit edit;
        edit.setEditMask(QStringLiteral("!90.00;1;_"));
        QCOMPARE(typeInto(edit, QStringLiteral("1,5")), QStringLiteral(" 1.50"));
    }

    void without_a_mask_the_text_is_free() {
        TMaskEdit edit;
        QCOMPARE(typeInto(edit, QStringLiteral("-12 abc")), QStringLiteral("-12 abc"));
    }

    void pages_read_back_what_they_show_under_any_separator() {
        const QChar before = qv7::decimalSeparator();
        for (const QChar separator : {QChar(u','), QChar(u'.')}) {
            qv7::setDecimalSeparator(separator);
            QCOMPARE(qv7::pages::pageNumber(QStringLiteral(" 1,50")), 1.5);
            QCOMPARE(qv7::pages::pageNumber(QStringLiteral(" 1.50")), 1.5);
            QCOMPARE(qv7::pages::pageNumber(QStringLiteral("12")), 12.0);
            QCOMPARE(qv7::pages::pageNumber(QStringLiteral("abc")), 0.0);
            QCOMPARE(qv7::pages::pageNumber(QStringLiteral("  ,  ")), 0.0);
        }
        qv7::setDecimalSeparator(before);
    }

    void display_range_check_data() {
        QTest::addColumn<bool>("fourDigits");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("4 digits: 12000") << true << "12000"
                                         << "9999";
        QTest::newRow("4 digits: -2000") << true << "-2000"
                                         << "-1999";
        QTest::newRow("4 digits: 9999") << true << "9999"
                                        << "9999";
        QTest::newRow("4½ digits: 12000 stays") << false << "12000"
                                                << "12000";
        QTest::newRow("4½ digits: 25000") << false << "25000"
                                          << "19999";
        QTest::newRow("4½ digits: -25000") << false << "-25000"
                                           << "-19999";
        QTest::newRow("not a number stays") << false << "abc"
                                            << "abc";
    }
    void display_range_check() {
        QFETCH(bool, fourDigits);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        TMaskEdit edit;
        qv7::pages::watchDisplayRange(&edit, [fourDigits] { return fourDigits; });
        edit.selectAll();
        QTest::keyClicks(&edit, typed);
        QCOMPARE(edit.text(), shown);
    }
};

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TestMaskEdit test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_MaskEdit.moc"
