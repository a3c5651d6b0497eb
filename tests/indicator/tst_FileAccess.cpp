// File names carried byte for byte, and the loads of the window refusing what is no file to read.
#include "base/Errors.h"
#include "indicator/FileAccess.h"
#include "indicator/LinFile.h"
#include "indicator/ParamFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <initializer_list>

#include <sys/stat.h>

namespace {

// A name from its UTF-16 units: C++ literals may not hold a lone surrogate.
QString units(std::initializer_list<char16_t> list) {
    QString name;
    for (char16_t unit : list)
        name += QChar(unit);
    return name;
}

} // namespace

class tst_FileAccess : public QObject {
    Q_OBJECT
private slots:
    void names_come_back_byte_for_byte_data();
    void names_come_back_byte_for_byte();
    void loads_refuse_what_is_no_file_to_read_data();
    void loads_refuse_what_is_no_file_to_read();
};

void tst_FileAccess::names_come_back_byte_for_byte_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name"); // as the program shows it
    QTest::newRow("ASCII") << QByteArray("out.QV") << QStringLiteral("out.QV");
    QTest::newRow("UTF-8 é") << QByteArray("out\xc3\xa9.QV") << QStringLiteral("out\u00e9.QV");
    QTest::newRow("Latin-1 é") << QByteArray("out\xe9.QV") << units({'o', 'u', 't', 0xDCE9, '.', 'Q', 'V'});
    QTest::newRow("a cut sequence") << QByteArray("\xc3.") << units({0xDCC3, '.'});
    QTest::newRow("an encoded surrogate") << QByteArray("\xed\xa0\x80") << units({0xDCED, 0xDCA0, 0xDC80});
    QTest::newRow("an overlong slash") << QByteArray("\xc0\xaf") << units({0xDCC0, 0xDCAF});
}

void tst_FileAccess::names_come_back_byte_for_byte() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name);
    QCOMPARE(qv7::fileNameFromBytes(bytes), name);
    QCOMPARE(QByteArray::fromStdString(qv7::fileNameBytes(name)), bytes);
}

void tst_FileAccess::loads_refuse_what_is_no_file_to_read_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("lin");
    QTest::addColumn<QString>("message");
    QTest::newRow(".QV FIFO") << "fifo" << false << "n'est pas un fichier ordinaire";
    QTest::newRow(".LIN of 256 KiB and 1 byte") << "large" << true << "est trop grand";
}

void tst_FileAccess::loads_refuse_what_is_no_file_to_read() {
    QFETCH(QString, kind);
    QFETCH(bool, lin);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = dir.filePath("in");
    if (kind == "fifo") QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    if (kind == "large") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray((lin ? 256 : 64) * 1024 + 1, '\r'));
    }
    QString raised;
    try {
        TParamImage image;
        if (lin)
            qv7::loadLinFile(path);
        else
            qv7::loadParamFile(path, 0, image);
    } catch (const qv7::EInOutError& e) {
        raised = QString::fromUtf8(e.what());
    }
    QVERIFY2(raised.startsWith("Le fichier " + path) && raised.endsWith(message), qPrintable(raised));
}

QTEST_GUILESS_MAIN(tst_FileAccess)
#include "tst_FileAccess.moc"
