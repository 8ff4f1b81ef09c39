// One Vistelle per folder: the lock holds where the file system has no locks, follows a
// lock file replaced underneath, and says when an import holds the folder.

#include "platform/instance/instancelock.h"
#include "tests/faults.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace vistelle;

class TestInstanceLock : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { faults::clear(); }

    // Network file systems without a lock manager refuse flock: the socket holds the
    // folder instead. Only a lock held elsewhere means another instance.
    void flockRefusedFallsBackToTheSocket_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("locked");
        QTest::newRow("ENOLCK") << ENOLCK << true;
        QTest::newRow("EOPNOTSUPP") << EOPNOTSUPP << true;
        QTest::newRow("ENOSYS") << ENOSYS << true;
        QTest::newRow("EINVAL") << EINVAL << true;
        QTest::newRow("EWOULDBLOCK: held elsewhere") << EWOULDBLOCK << false;
    }

    void flockRefusedFallsBackToTheSocket()
    {
        QFETCH(int, error);
        QFETCH(bool, locked);
        QTemporaryDir dir;
        faults::lock = error;
        InstanceLock first(dir.path());
        QCOMPARE(first.tryLock(), locked);
        InstanceLock second(dir.path());
        QVERIFY(!second.tryLock());
    }

    // A synchronising program deletes or replaces .vistelle.lock while the window runs:
    // the window locks the file now at the path, and a second start finds it held.
    void lockFileReplacedUnderneathIsLockedAgain_data()
    {
        QTest::addColumn<bool>("deleted");
        QTest::newRow("deleted") << true;
        QTest::newRow("replaced") << false;
    }

    void lockFileReplacedUnderneathIsLockedAgain()
    {
        QFETCH(bool, deleted);
        QTemporaryDir dir;
        const QString path = dir.filePath(InstanceLock::lockFileName());
        InstanceLock running(dir.path());
        QVERIFY(running.tryLock());
        QVERIFY(running.keepHeld());
        QVERIFY(QFile::remove(path));
        if (!deleted) {
            QFile other(path);
            QVERIFY(other.open(QIODevice::WriteOnly));
        }
        QVERIFY(running.keepHeld());
        InstanceLock second(dir.path());
        QVERIFY(!second.tryLock());
    }

    void importHoldingTheFolderSaysSo()
    {
        QTemporaryDir dir;
        QVERIFY(!importHoldsFolder(dir.path()));
        {
            InstanceLock import(dir.path(), InstanceLock::Holder::Import);
            QVERIFY(import.tryLock());
            QVERIFY(importHoldsFolder(dir.path()));
            QVERIFY(!InstanceLock(dir.path()).tryLock());
        }
        QVERIFY(!importHoldsFolder(dir.path()));
        InstanceLock window(dir.path());
        QVERIFY(window.tryLock());
        QVERIFY(!importHoldsFolder(dir.path()));
    }
};

QTEST_GUILESS_MAIN(TestInstanceLock)
#include "tst_instancelock.moc"
