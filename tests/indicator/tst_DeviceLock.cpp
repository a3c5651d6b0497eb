// The per-indicator lock: its file name for a device key, one holder at a time, and a lock file
// left empty taken over once old.
#include "indicator/DeviceLock.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class tst_DeviceLock : public QObject {
    Q_OBJECT
private slots:
    void file_name_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("name");
        // Letters, digits and '-' stay; everything else becomes '_'; the last 40 are kept, then the
        // first 8 hex digits of the key's SHA-1.
        QTest::newRow("hidraw node") << "/dev/hidraw0"
                                     << "qv7-device-_dev_hidraw0-b3f395f0.lock";
        QTest::newRow("the ends of every kept range") << "az-AZ_09/x"
                                                      << "qv7-device-az-AZ_09_x-1b908eb3.lock";
        QTest::newRow("a long simulated key keeps its last 40")
            << "simulated-state:/tmp/s.json:simulated:bridge0"
            << "qv7-device-ated-state__tmp_s_json_simulated_bridge0-7488f353.lock";
    }
    void file_name() {
        QFETCH(QString, key);
        QFETCH(QString, name);
        QCOMPARE(qv7::DeviceLock::fileName(key.toStdString()), name);
    }

    void one_holder_at_a_time() {
        QTemporaryDir dir;
        auto first = std::make_unique<qv7::DeviceLock>("/dev/hidraw3", dir.path());
        qv7::DeviceLock second("/dev/hidraw3", dir.path());
        qv7::DeviceLock other("/dev/hidraw4", dir.path());
        QVERIFY(first->tryLock());
        QVERIFY(!second.tryLock());
        QCOMPARE(second.holderPid(), QCoreApplication::applicationPid());
        QVERIFY(other.tryLock()); // another device
        first.reset();            // the holder lets go
        QVERIFY(second.tryLock());
    }

    void a_lock_file_naming_no_holder_is_taken_over_once_old() {
        QTemporaryDir dir;
        qv7::DeviceLock lock("/dev/hidraw5", dir.path());
        // Empty, as a program killed between creating and writing it leaves it.
        QFile file(lock.path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(!lock.tryLock()); // it may still be being written
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-qv7::UnreadableLockAgeMs / 1000 - 5),
                                 QFileDevice::FileModificationTime));
        file.close();
        QVERIFY(lock.tryLock());
        QCOMPARE(lock.holderPid(), QCoreApplication::applicationPid());
    }
};

QTEST_GUILESS_MAIN(tst_DeviceLock)
#include "tst_DeviceLock.moc"
