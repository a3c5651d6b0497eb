// The pages and the parameter table: every control that holds a value is bound to one row, every
// row an indicator has reaches a control, and what the window's write step stores for values a user
// gives is what qv7ctl's set stores for the same values, byte for byte.
#include "PagesRig.h"
#include "app/pages/PageKit.h"
#include "cli/ParamEdit.h"
#include "widgets/DecimalSeparator.h"
#include "widgets/Messages.h"
#include "widgets/SEGMENTS.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QRandomGenerator>

#include <set>

using pagestest::Rig;
using qv7::pages::TRadioGroup;

namespace {

const char* const PageNames[] = {"TabIdent", "TabCfg",     "TabEntCourant", "TabEntTension", "TabEntRtd",
                                 "TabEntTC", "TabProcess", "TabDisplay",    "TabALR1",       "TabALR2",
                                 "TabALR3",  "TabALR4",    "TabSA",         "TabRS485"};

// Controls that show no parameter of the record: the model name, the one probe type.
const QStringList Unbound = {"EdName", "CbRtd"};

// The controls of the pages that hold a value a user can change (a radio group's own buttons are
// the group's).
QList<QWidget*> valueControls() {
    QList<QWidget*> out;
    for (const char* name : PageNames) {
        auto* page = MainForm->findChild<QWidget*>(QString::fromLatin1(name));
        if (page == nullptr) qFatal("no page %s", name);
        for (QWidget* w : page->findChildren<QWidget*>()) {
            if (Unbound.contains(w->objectName())) continue;
            if (qobject_cast<TRadioGroup*>(w->parentWidget())) continue;
            auto* edit = qobject_cast<QLineEdit*>(w);
            auto* button = qobject_cast<QAbstractButton*>(w);
            const bool holds =
                (edit && !edit->isReadOnly() && !qobject_cast<QComboBox*>(w->parentWidget())) ||
                qobject_cast<QComboBox*>(w) || qobject_cast<TRadioGroup*>(w) || qobject_cast<TSEG*>(w) ||
                (button && button->isCheckable());
            if (holds) out << w;
        }
    }
    return out;
}

QString keyOf(const QWidget* w) {
    return w->property("param").toString();
}

// Puts page item `item` of `key` into every control bound to it, as a user would leave it.
void give(const QList<QWidget*>& controls, const QString& key, std::int64_t item) {
    const qv7::ParamRow& row = *qv7::findParam(key.toStdString());
    int radio = 0;
    for (QWidget* w : controls) {
        if (keyOf(w) != key) continue;
        if (auto* group = qobject_cast<TRadioGroup*>(w)) {
            group->setItemIndex(static_cast<int>(item));
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            combo->setCurrentIndex(static_cast<int>(item));
        } else if (auto* box = qobject_cast<QCheckBox*>(w)) {
            box->setChecked(item == 1);
        } else if (auto* button = qobject_cast<QRadioButton*>(w)) {
            // The buttons of one choice in item order.
            button->setChecked(radio++ == item);
        } else if (auto* seg = qobject_cast<TSEG*>(w)) {
            if (key == "display.modulo")
                seg->setNb(
                    QString::fromStdString(row.choices[static_cast<std::size_t>(item)].french).toInt());
            else
                seg->setPointDecimal(static_cast<int>(item));
        } else if (auto* edit = qobject_cast<qv7::pages::TMaskEdit*>(w)) {
            QString text = QString::number(static_cast<double>(item) / (row.decimals == 2 ? 100.0 : 10.0),
                                           'f', row.decimals);
            if (row.decimals == 0) text = QString::number(item);
            text.replace(u'.', qv7::decimalSeparator());
            edit->setMaskedText(text);
        } else if (auto* line = qobject_cast<QLineEdit*>(w)) {
            line->setText(QString::number(item));
        }
    }
}

QByteArray hex(const TParamImage& image) {
    return QByteArray(reinterpret_cast<const char*>(image.bytes().data()), TParamImage::Size).toHex(' ');
}

} // namespace

class tst_ParamBinding : public QObject {
    Q_OBJECT
private slots:
    void every_control_is_bound_to_one_row_and_every_row_to_a_control_data() {
        QTest::addColumn<int>("typeWord");
        QTest::newRow("five-choice, 4 alarms, output, RS485") << 0x4053;
        QTest::newRow("two-choice, 4 digits, 2 alarms") << 0x8005;
        QTest::newRow("fixed thermocouple") << 0x0841;
        QTest::newRow("fixed current and voltage, output") << 0x0312;
        QTest::newRow("bare indicator") << 0x0000;
    }
    void every_control_is_bound_to_one_row_and_every_row_to_a_control() {
        QFETCH(int, typeWord);
        Rig rig(static_cast<std::uint16_t>(typeWord));
        QVERIFY(rig.ready());
        std::set<std::string> reached;
        const QList<QWidget*> controls = valueControls();
        QVERIFY(controls.size() > 40);
        for (QWidget* w : controls) {
            const QString key = keyOf(w);
            QVERIFY2(!key.isEmpty(), qPrintable(w->objectName() + " is bound to no row"));
            QVERIFY2(qv7::findParam(key.toStdString()), qPrintable(key));
            reached.insert(key.toStdString());
        }
        for (const qv7::ParamRow& row : qv7::paramTable()) {
            if (!row.onPage || !qv7::paramPresent(row, static_cast<std::uint32_t>(typeWord))) continue;
            QVERIFY2(reached.count(row.key), row.key.c_str());
        }
    }

    // Random type words and records on the indicator, random values a user gives the pages: the
    // window's write step and set, from the same record, store the same 200 bytes.
    void the_write_step_stores_what_set_stores() {
        QRandomGenerator random(20261207);
        const std::uint16_t typeWords[] = {0x4053, 0x8005, 0x0841, 0x0312, 0x4402, 0x0000, 0xC0FF};
        for (int round = 0; round < 14; ++round) {
            const std::uint16_t typeWord =
                round < 7 ? typeWords[round] : static_cast<std::uint16_t>(random.generate());
            // What the indicator holds: values set gives on this indicator.
            TParamImage held;
            held.DeviceType = typeWord;
            std::map<std::string, std::int64_t> given;
            for (const qv7::ParamRow& row : qv7::paramTable()) {
                if (!row.onPage || !qv7::paramPresent(row, typeWord)) continue;
                const qv7::ParamLimits limits = qv7::pageLimits(row, typeWord);
                const auto pick = [&] {
                    return limits.lowest + static_cast<std::int64_t>(random.bounded(
                                               static_cast<quint32>(limits.highest - limits.lowest + 1)));
                };
                QVERIFY(qv7::cli::storePageValue(held, QString::fromStdString(row.key), pick()).isEmpty());
                given[row.key] = pick();
            }
            const qv7::ConfigRegisters words = qv7::registersFromParams(held);
            std::map<int, std::uint16_t> bank;
            for (int r = 0; r < 28; ++r)
                bank[r] = words[static_cast<std::size_t>(r)];
            Rig rig(typeWord, bank);
            QVERIFY(rig.ready());
            // set, on the record as read (every byte of it travels).
            TParamImage expected = held;
            for (const auto& [key, item] : given)
                QVERIFY(qv7::cli::storePageValue(expected, QString::fromStdString(key), item).isEmpty());
            // The window, the same values given to its controls.
            const QList<QWidget*> controls = valueControls();
            for (const auto& [key, item] : given)
                give(controls, QString::fromStdString(key), item);
            // Values given on pages the input type hides go too, as set sends them: the write asks, Yes.
            qv7::setQuestionHook([](const QString&, const QString&) { return true; });
            QVERIFY2(rig.writeAll(), qPrintable(QStringLiteral("type word 0x%1").arg(typeWord, 0, 16)));
            qv7::setQuestionHook({});
            QCOMPARE(hex(rig.torvik().paramsSnapshot()), hex(expected));
            // And the indicator holds what set's record sends.
            const qv7::ConfigRegisters sent = qv7::registersFromParams(expected);
            for (const auto& [r, value] : rig.configRegisters())
                QCOMPARE(value, sent[static_cast<std::size_t>(r)]);
        }
    }
};

QTEST_MAIN(tst_ParamBinding)
#include "tst_ParamBinding.moc"
