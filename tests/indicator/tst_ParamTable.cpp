// The parameter table against the record's bytes written by hand: what each row reads, what it
// stores and refuses. (Which indicators have a parameter and what a page may give it is checked
// through qv7ctl's set and the window's pages.)
#include "proto/ParamTable.h"

#include <QTest>

#include <map>

namespace {

using Bytes = QList<int>;

TParamImage recordOf(int fill, int offset, const Bytes& bytes) {
    std::array<std::uint8_t, TParamImage::Size> raw{};
    raw.fill(static_cast<std::uint8_t>(fill));
    for (qsizetype i = 0; i < bytes.size(); ++i)
        raw[static_cast<std::size_t>(offset + i)] = static_cast<std::uint8_t>(bytes[i]);
    return TParamImage::fromBytes(raw);
}

const qv7::ParamRow& row(const QString& key) {
    const qv7::ParamRow* found = qv7::findParam(key.toStdString());
    if (found == nullptr) qFatal("no row %s", qPrintable(key));
    return *found;
}

} // namespace

class tst_ParamTable : public QObject {
    Q_OBJECT
private slots:
    void raw_value_is_read_from_its_bytes_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("offset");
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<qint64>("raw");
        QTest::newRow("thermocouple W5 in bits 4-7") << "input.thermocouple" << 32 << Bytes{0x85} << 8LL;
        QTest::newRow("alarm 2 threshold is signed")
            << "alarm2.threshold" << 70 << Bytes{0x18, 0xFC} << -1000LL;
        QTest::newRow("alarm 4 delay, one byte") << "alarm4.delay" << 86 << Bytes{0xFF} << 255LL;
        QTest::newRow("address in the high byte") << "rs485.address" << 57 << Bytes{0xF7} << 247LL;
        QTest::newRow("spare bits as the masked word")
            << "rs485.spare_bits" << 56 << Bytes{0xC0, 0x00, 0x00, 0x80} << 0x800000C0LL;
        QTest::newRow("Fahrenheit in bit 8") << "display.temperature_unit" << 48 << Bytes{0x00, 0x01} << 1LL;
        QTest::newRow("alarm 1 LED in flag bit 4") << "alarm1.led" << 69 << Bytes{0x10} << 1LL;
    }
    void raw_value_is_read_from_its_bytes() {
        QFETCH(QString, key);
        QFETCH(int, offset);
        QFETCH(Bytes, bytes);
        QFETCH(qint64, raw);
        QCOMPARE(qv7::rawValue(row(key), recordOf(0, offset, bytes)), raw);
    }

    void store_sets_its_bits_and_nothing_else_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<qint64>("raw");
        QTest::addColumn<int>("offset");
        QTest::addColumn<Bytes>("bytes"); // the record's bytes from `offset` after the store; empty: refused
        QTest::newRow("voltage range 0 among 0x55 bits") << "input.voltage_range" << 0LL << 32 << Bytes{0x51};
        QTest::newRow("alarm 3 LED off") << "alarm3.led" << 0LL << 81 << Bytes{0x45};
        QTest::newRow("address 1") << "rs485.address" << 1LL << 56 << Bytes{0x55, 0x01, 0x55, 0x55};
        QTest::newRow("threshold -2") << "alarm1.threshold" << -2LL << 64 << Bytes{0xFE, 0xFF, 0x55};
        QTest::newRow("display zero -100") << "display.zero" << -100LL << 46 << Bytes{0x9C, 0xFF, 0x55};
        QTest::newRow("thermocouple 16 does not fit") << "input.thermocouple" << 16LL << 32 << Bytes{};
        QTest::newRow("threshold 32768 does not fit") << "alarm1.threshold" << 32768LL << 64 << Bytes{};
        QTest::newRow("spare bits that a choice uses") << "input.spare_bits" << 0x10LL << 32 << Bytes{};
        QTest::newRow("address 256") << "rs485.address" << 256LL << 57 << Bytes{};
    }
    void store_sets_its_bits_and_nothing_else() {
        QFETCH(QString, key);
        QFETCH(qint64, raw);
        QFETCH(int, offset);
        QFETCH(Bytes, bytes);
        const TParamImage before = recordOf(0x55, 0, {});
        TParamImage after = before;
        QCOMPARE(qv7::storeRaw(row(key), after, raw), !bytes.isEmpty());
        const TParamImage expected = bytes.isEmpty() ? before : recordOf(0x55, offset, bytes);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(after.bytes().data()), 200).toHex(' '),
                 QByteArray(reinterpret_cast<const char*>(expected.bytes().data()), 200).toHex(' '));
    }

    void the_third_protection_level_is_kept_as_3() {
        const qv7::ParamRow& protection = row("protection");
        QCOMPARE(qv7::rawOfItem(protection, 2), 3);
        QCOMPARE(qv7::itemOfRaw(protection, 2), std::optional<std::int64_t>(2));
        QCOMPARE(qv7::itemOfRaw(protection, 3), std::optional<std::int64_t>(2));
        QCOMPARE(qv7::itemOfRaw(row("rs485.baud"), 6), std::nullopt);
    }

    // Within each member of the record the rows' bits never overlap and, spare bits included,
    // cover it whole: a mistyped mask or shift shows here.
    void rows_split_each_member_exactly() {
        std::map<std::pair<int, int>, std::uint32_t> covered;
        QStringList keys;
        for (const qv7::ParamRow& r : qv7::paramTable()) {
            QVERIFY2(!keys.contains(QString::fromStdString(r.key)), r.key.c_str());
            keys << QString::fromStdString(r.key);
            std::uint32_t& bits = covered[{r.member.offset, r.alarm}];
            QVERIFY2((bits & r.mask()) == 0, r.key.c_str());
            bits |= r.mask();
        }
        QCOMPARE(keys.size(), 26 + 4 * 6);
        for (const auto& [member, bits] : covered)
            QVERIFY2(bits == 0xFF || bits == 0xFFFF || bits == 0xFFFFFFFF,
                     qPrintable(QStringLiteral("member %1: 0x%2").arg(member.first).arg(bits, 0, 16)));
    }
};

QTEST_GUILESS_MAIN(tst_ParamTable)
#include "tst_ParamTable.moc"
