// Parameter files: the saved bytes, every rejection of a load, and saves that fail.
#include "base/Errors.h"
#include "indicator/ParamFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

#include <cstring>

namespace {

constexpr std::uint32_t TypeWord = 0x4053;

TParamImage sampleParams(std::uint32_t typeWord = TypeWord) {
    TParamImage p;
    p.DeviceType = typeWord;
    p.InputConfig = 3;
    p.InputOptions = 0x0430;
    p.DisplayHigh = 1000;
    p.DisplayLow = -200;
    p.Alarms[2].Threshold = 750;
    p.Alarms[2].AlarmFlags = 0x11;
    p.Unused88[50] = 0xA5; // bytes no transfer touches still travel with the file
    return p;
}

QByteArray fileBytes(const TParamImage& p) {
    const auto b = p.bytes();
    return QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size()));
}

QByteArray markedBytes(std::uint32_t typeWord = TypeWord) {
    TParamImage p = sampleParams(typeWord);
    qv7::setParamMagic(p);
    return fileBytes(p);
}

void writeRaw(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readRaw(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

} // namespace

class tst_ParamFile : public QObject {
    Q_OBJECT
private slots:
    void save_writes_magic_then_the_record_in_200_bytes();
    void saved_file_loads_back_unchanged();
    void load_checks_data();
    void load_checks();
    void load_of_missing_file_raises_cannot_open();
    void failed_commit_keeps_previous_file_and_image();
    void save_into_missing_directory_raises_cannot_create();
    void messages_are_the_users_texts();

private:
    QTemporaryDir dir_;
};

void tst_ParamFile::save_writes_magic_then_the_record_in_200_bytes() {
    const QString path = dir_.filePath("save.QV");
    TParamImage p = sampleParams();
    qv7::saveParamFile(path, p);
    const QByteArray bytes = readRaw(path);
    QCOMPARE(bytes.size(), 200);
    QCOMPARE(bytes.at(0), char{20});
    QCOMPARE(bytes.mid(1, 20), QByteArray("[QV7] File V1.0-RKWB"));
    QCOMPARE(bytes.mid(21), fileBytes(sampleParams()).mid(21));
    // The image keeps the magic from then on.
    QCOMPARE(fileBytes(p), bytes);
}

void tst_ParamFile::saved_file_loads_back_unchanged() {
    const QString path = dir_.filePath("roundtrip.QV");
    TParamImage saved = sampleParams();
    qv7::saveParamFile(path, saved);
    TParamImage loaded;
    QCOMPARE(qv7::loadParamFile(path, TypeWord, loaded), qv7::ParamLoadResult::Loaded);
    QVERIFY(loaded == saved);
}

void tst_ParamFile::load_checks_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("expected");
    const QByteArray good = markedBytes();
    QByteArray longLength = good;
    longLength[0] = 21;
    QByteArray badText = good;
    badText[20] = 'X';
    QTest::newRow("a correct file loads") << good << int(qv7::ParamLoadResult::Loaded);
    QTest::newRow("199 bytes with a correct start") << good.left(199) << int(qv7::ParamLoadResult::Incorrect);
    QTest::newRow("empty file") << QByteArray() << int(qv7::ParamLoadResult::Incorrect);
    QTest::newRow("length byte 21 before the magic") << longLength << int(qv7::ParamLoadResult::Incorrect);
    QTest::newRow("last magic character wrong") << badText << int(qv7::ParamLoadResult::Incorrect);
    QTest::newRow("another type word")
        << markedBytes(TypeWord ^ 0x0100) << int(qv7::ParamLoadResult::OtherDeviceType);
    QTest::newRow("type word differing above 16 bits")
        << markedBytes(TypeWord | 0x10000) << int(qv7::ParamLoadResult::OtherDeviceType);
    QTest::newRow("300 bytes load the first 200")
        << good + QByteArray(100, '\x7F') << int(qv7::ParamLoadResult::Loaded);
}

void tst_ParamFile::load_checks() {
    QFETCH(QByteArray, content);
    QFETCH(int, expected);
    const QString path = dir_.filePath(QStringLiteral("check-%1.QV").arg(QTest::currentDataTag()));
    writeRaw(path, content);
    TParamImage before;
    before.DeviceType = TypeWord;
    before.Filter = 42;
    TParamImage image = before;
    const auto result = qv7::loadParamFile(path, TypeWord, image);
    QCOMPARE(int(result), expected);
    if (result == qv7::ParamLoadResult::Loaded)
        QCOMPARE(fileBytes(image), content.left(200));
    else
        QVERIFY(image == before);
}

void tst_ParamFile::load_of_missing_file_raises_cannot_open() {
    const QString path = dir_.filePath("absent.QV");
    TParamImage image;
    image.Filter = 7;
    try {
        qv7::loadParamFile(path, 0, image);
        QFAIL("no error raised");
    } catch (const qv7::EInOutError& e) {
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Impossible d'ouvrir le fichier ") + path);
    }
    QCOMPARE(image.Filter, 7);
}

void tst_ParamFile::failed_commit_keeps_previous_file_and_image() {
    const QString path = dir_.filePath("previous.QV");
    const QByteArray previous = markedBytes(0x1234);
    writeRaw(path, previous);
    TParamImage p = sampleParams();
    const TParamImage before = p;
    bool raised = false;
    try {
        qv7::saveParamFile(path, p, [] { return EIO; });
    } catch (const qv7::EInOutError& e) {
        raised = true;
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Impossible de créer le fichier ") + path);
    }
    QVERIFY(raised);
    QCOMPARE(readRaw(path), previous);
    QVERIFY(p == before);
    QCOMPARE(p.Magic[0], std::uint8_t{0});
}

void tst_ParamFile::save_into_missing_directory_raises_cannot_create() {
    const QString path = dir_.filePath("no/such/dir/x.QV");
    TParamImage p = sampleParams();
    QVERIFY_THROWS_EXCEPTION(qv7::EInOutError, qv7::saveParamFile(path, p));
    QCOMPARE(p.Magic[0], std::uint8_t{0});
    QVERIFY(!QFile::exists(path));
}

void tst_ParamFile::messages_are_the_users_texts() {
    QCOMPARE(qv7::paramLoadMessage(qv7::ParamLoadResult::Incorrect),
             QStringLiteral("  Fichier incorrect !  "));
    QCOMPARE(qv7::paramLoadMessage(qv7::ParamLoadResult::OtherDeviceType),
             QStringLiteral("Le fichier ne correspond pas à ce type d'appareil"));
    QVERIFY(qv7::paramLoadMessage(qv7::ParamLoadResult::Loaded).isEmpty());
}

QTEST_GUILESS_MAIN(tst_ParamFile)
#include "tst_ParamFile.moc"
