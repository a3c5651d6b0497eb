// The parameter record's byte layout and the register map both ways.
#include "proto/ParamImage.h"

#include <QTest>

#include <cstring>

namespace {

template <typename T> T readLE(const std::array<std::uint8_t, TParamImage::Size>& bytes, std::size_t offset) {
    T value{};
    std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
}

qv7::ConfigRegisters withRegister(int address, std::uint16_t value) {
    qv7::ConfigRegisters words{};
    words[static_cast<std::size_t>(address)] = value;
    return words;
}

} // namespace

class tst_ParamImage : public QObject {
    Q_OBJECT
private slots:
    void new_record_is_all_zero_bytes();
    void fields_sit_at_their_file_offsets_little_endian();
    void from_bytes_gives_back_the_same_bytes();

    void single_register_store_data();
    void single_register_store();
    void alarm_third_word_splits_into_delay_and_flags_data();
    void alarm_third_word_splits_into_delay_and_flags();
    void grouped_registers_land_with_the_last_of_their_group();
    void registers_round_trip_through_the_record();
    void record_to_registers_cuts_wide_fields_to_16_bits();
    void never_filled_record_sends_zero_registers();

    void float_one_at_point_zero_travels_low_word_first();
    void table_round_trips_through_registers();
};

void tst_ParamImage::new_record_is_all_zero_bytes() {
    const TParamImage image;
    for (std::uint8_t b : image.bytes())
        QCOMPARE(b, std::uint8_t{0});
}

void tst_ParamImage::fields_sit_at_their_file_offsets_little_endian() {
    TParamImage p;
    p.DeviceType = 0x00014053;
    p.InputOptions = 40000;
    p.Filter = -2;
    p.DisplayHigh = -19999;
    p.Protection = 3;
    p.Alarms[3].Threshold = 0x1234;
    p.Alarms[3].AlarmFlags = 0x11;
    const auto b = p.bytes();
    QCOMPARE(b[24], std::uint8_t{0x53});
    QCOMPARE(b[25], std::uint8_t{0x40});
    QCOMPARE(b[26], std::uint8_t{0x01});
    QCOMPARE(readLE<std::uint32_t>(b, 32), 40000u);
    QCOMPARE(readLE<std::int32_t>(b, 40), -2);
    QCOMPARE(readLE<std::int16_t>(b, 44), std::int16_t{-19999});
    QCOMPARE(readLE<std::int32_t>(b, 60), 3);
    QCOMPARE(b[64 + 18], std::uint8_t{0x34});
    QCOMPARE(b[64 + 19], std::uint8_t{0x12});
    QCOMPARE(b[64 + 23], std::uint8_t{0x11});
}

void tst_ParamImage::from_bytes_gives_back_the_same_bytes() {
    std::array<std::uint8_t, TParamImage::Size> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    const TParamImage p = TParamImage::fromBytes(bytes);
    QCOMPARE(p.bytes(), bytes);
    QCOMPARE(p.Magic[0], std::uint8_t{3});
}

void tst_ParamImage::single_register_store_data() {
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("width");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("input config keeps the low byte") << 0 << 0x1234 << 28 << 1 << qint64{0x34};
    QTest::newRow("input options above 32767 stay unsigned") << 1 << 40000 << 32 << 4 << qint64{40000};
    // Register 2 feeds two adjacent bytes: LinEnable (36) then LinLastPoint (37).
    QTest::newRow("1F01 gives lin enable 1 and last point 31")
        << 2 << 0x1F01 << 36 << 2 << qint64{1 + 31 * 256};
    QTest::newRow("lin word drops bits 13-15") << 2 << 0xE501 << 36 << 2 << qint64{1 + 5 * 256};
    QTest::newRow("lin word drops bits 1-7") << 2 << 0x02FE << 36 << 2 << qint64{2 * 256};
    QTest::newRow("filter is kept 0-65535") << 3 << 0xFFFF << 40 << 4 << qint64{65535};
    QTest::newRow("serial config is kept 0-65535") << 10 << 0xFF1B << 56 << 4 << qint64{0xFF1B};
    QTest::newRow("protection 7 is stored as 3") << 11 << 7 << 60 << 4 << qint64{3};
    QTest::newRow("protection 4 is stored as 0") << 11 << 4 << 60 << 4 << qint64{0};
}

void tst_ParamImage::single_register_store() {
    QFETCH(int, address);
    QFETCH(int, value);
    QFETCH(int, offset);
    QFETCH(int, width);
    QFETCH(qint64, expected);
    TParamImage p;
    qv7::storeHoldingRegister(p, address, withRegister(address, static_cast<std::uint16_t>(value)));
    const auto b = p.bytes();
    qint64 stored = 0;
    std::memcpy(&stored, b.data() + offset, static_cast<std::size_t>(width));
    QCOMPARE(stored, expected);
    // Nothing outside the field moved.
    for (int i = 0; i < static_cast<int>(b.size()); ++i)
        if (i < offset || i >= offset + width) QCOMPARE(b[static_cast<std::size_t>(i)], std::uint8_t{0});
}

void tst_ParamImage::alarm_third_word_splits_into_delay_and_flags_data() {
    QTest::addColumn<int>("alarm");
    for (int k = 0; k < 4; ++k)
        QTest::addRow("alarm %d", k + 1) << k;
}

void tst_ParamImage::alarm_third_word_splits_into_delay_and_flags() {
    QFETCH(int, alarm);
    const int first = 16 + 3 * alarm;
    qv7::ConfigRegisters words{};
    words[static_cast<std::size_t>(first)] = static_cast<std::uint16_t>(-150);
    words[static_cast<std::size_t>(first + 1)] = 12;
    words[static_cast<std::size_t>(first + 2)] = 0x1196;
    TParamImage p;
    qv7::storeHoldingRegister(p, first + 2, words);
    const TAlarmRecord& a = p.Alarms[static_cast<std::size_t>(alarm)];
    QCOMPARE(a.Threshold, std::int16_t{-150});
    QCOMPARE(a.Hysteresis, std::int16_t{12});
    QCOMPARE(a.Delay, std::uint8_t{0x96});
    QCOMPARE(a.AlarmFlags, std::uint8_t{0x11});
    for (int other = 0; other < 4; ++other)
        if (other != alarm) QCOMPARE(p.Alarms[static_cast<std::size_t>(other)].Delay, std::uint8_t{0});
}

void tst_ParamImage::grouped_registers_land_with_the_last_of_their_group() {
    qv7::ConfigRegisters words{};
    words[4] = 9999;
    words[5] = static_cast<std::uint16_t>(-1999);
    words[6] = 0x0113;
    TParamImage p;
    qv7::storeHoldingRegister(p, 4, words);
    qv7::storeHoldingRegister(p, 5, words);
    QCOMPARE(p.DisplayHigh, std::int16_t{0});
    qv7::storeHoldingRegister(p, 6, words);
    QCOMPARE(p.DisplayHigh, std::int16_t{9999});
    QCOMPARE(p.DisplayLow, std::int16_t{-1999});
    QCOMPARE(p.DisplayFlags, std::uint16_t{0x0113});
}

void tst_ParamImage::registers_round_trip_through_the_record() {
    qv7::ConfigRegisters words{};
    for (std::size_t r = 0; r < words.size(); ++r)
        if (r < 12 || r >= 16) words[r] = static_cast<std::uint16_t>(0x0101 * r + 0x8000 * (r % 2));
    words[0] &= 0xFF;   // one byte in the record
    words[2] &= 0x1F01; // two fields of a few bits
    words[11] &= 3;     // protection keeps two bits
    TParamImage p;
    qv7::paramsFromRegisters(p, words);
    QCOMPARE(qv7::registersFromParams(p), words);
}

void tst_ParamImage::record_to_registers_cuts_wide_fields_to_16_bits() {
    TParamImage p;
    p.InputOptions = 0x12345678;
    p.Filter = 0x10002;
    p.SerialConfig = -1;
    p.Protection = 0x30003;
    p.LinEnable = 1;
    p.LinLastPoint = 31;
    const auto r = qv7::registersFromParams(p);
    QCOMPARE(r[1], std::uint16_t{0x5678});
    QCOMPARE(r[2], std::uint16_t{0x1F01});
    QCOMPARE(r[3], std::uint16_t{2});
    QCOMPARE(r[10], std::uint16_t{0xFFFF});
    QCOMPARE(r[11], std::uint16_t{3});
    QCOMPARE(qv7::linControlWord(p), std::uint16_t{0x1F01});
}

void tst_ParamImage::never_filled_record_sends_zero_registers() {
    for (std::uint16_t word : qv7::registersFromParams(TParamImage{}))
        QCOMPARE(word, std::uint16_t{0});
}

void tst_ParamImage::float_one_at_point_zero_travels_low_word_first() {
    TLinTable table{};
    table[0].Ordinate = 1.0f;
    const auto r = qv7::registersFromLinTable(table);
    QCOMPARE(r[0], std::uint16_t{0x0000});
    QCOMPARE(r[1], std::uint16_t{0x3F80});
    QCOMPARE(r[2], std::uint16_t{0});
    QCOMPARE(r[3], std::uint16_t{0});
}

void tst_ParamImage::table_round_trips_through_registers() {
    TLinTable table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i].Ordinate = static_cast<float>(i) / 31.0f;
        table[i].Abscissa = -0.25f + static_cast<float>(i) * 0.046875f;
    }
    const auto registers = qv7::registersFromLinTable(table);
    // Point 5's abscissa sits in registers 34+20 and 35+20 (indices 22 and 23).
    QCOMPARE(qv7::floatFromWords(registers[22], registers[23]), table[5].Abscissa);
    QVERIFY(qv7::linTableFromRegisters(registers) == table);
}

QTEST_APPLESS_MAIN(tst_ParamImage)
#include "tst_ParamImage.moc"
