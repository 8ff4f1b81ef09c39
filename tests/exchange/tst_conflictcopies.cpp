// The conflict copies of diary.dat that sync tools leave beside it, and the markers that
// tell a folder one of them shares.

#include "diary/exchange/conflictcopies.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace vistelle;

namespace {

void touch(const QString& path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

} // namespace

class TestConflictCopies : public QObject {
    Q_OBJECT

private slots:
    void namesOfEachSyncTool_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("copy");
        QTest::newRow("Syncthing") << "diary.sync-conflict-20091224-183000-ABCDEF7.dat" << true;
        QTest::newRow("Syncthing, numbered") << "diary.sync-conflict-20091224-183000-ABCDEF7 (2).dat" << true;
        QTest::newRow("Nextcloud, ownCloud") << "diary (conflicted copy 2009-12-24 183000).dat" << true;
        QTest::newRow("Nextcloud, numbered") << "diary (conflicted copy 2009-12-24 183000) (3).dat" << true;
        QTest::newRow("Dropbox") << "diary (Anna's conflicted copy 2009-12-24).dat" << true;
        QTest::newRow("Dropbox, typographic apostrophe, numbered")
            << QString::fromUtf8("diary (Anna Lee\u2019s conflicted copy 2009-12-24) (1).dat") << true;
        QTest::newRow("the diary itself") << "diary.dat" << false;
        QTest::newRow("a daily backup") << "diary-2009-12-24.dat" << false;
        QTest::newRow("a session's rescue") << "diary-unsaved-2009-12-24-183000.dat" << false;
        QTest::newRow("a picture set's copy") << "graphics1.sync-conflict-20091224-183000-ABCDEF7.dat" << false;
        QTest::newRow("a short device id") << "diary.sync-conflict-20091224-183000-ABCDEF.dat" << false;
        QTest::newRow("Syncthing's temporary file") << ".syncthing.diary.dat.tmp" << false;
        QTest::newRow("another extension") << "diary.sync-conflict-20091224-183000-ABCDEF7.dat.tmp" << false;
        QTest::newRow("no time") << "diary (conflicted copy 2009-12-24).dat" << false;
        QTest::newRow("no number in the brackets") << "diary (conflicted copy 2009-12-24 183000) (x).dat" << false;
    }
    void namesOfEachSyncTool()
    {
        QFETCH(QString, name);
        QFETCH(bool, copy);
        QCOMPARE(isConflictCopyName(name), copy);
    }

    void copiesInAFolderAreItsConflictCopiesOnly()
    {
        QTemporaryDir dir;
        for (const char* name : {"diary.dat", "diary.sync-conflict-20091224-183000-ABCDEF7.dat", "notes.txt",
                                 "diary (conflicted copy 2009-12-24 183000).dat", "diary-2009-12-24.dat"})
            touch(dir.filePath(name));
        QVERIFY(QDir(dir.path()).mkdir("diary (Anna's conflicted copy 2009-12-24).dat")); // a folder is no copy
        QCOMPARE(conflictCopiesIn(dir.path()), (QStringList{dir.filePath("diary (conflicted copy 2009-12-24 183000).dat"),
                                                           dir.filePath("diary.sync-conflict-20091224-183000-ABCDEF7.dat")}));
    }

    void markersInTheFolderOrAbove_data()
    {
        QTest::addColumn<QString>("marker");
        QTest::addColumn<bool>("folder"); // a folder rather than a file
        QTest::newRow("Syncthing") << ".stfolder" << true;
        QTest::newRow("Nextcloud, ownCloud") << ".sync_1a2b3c.db" << false;
        QTest::newRow("Dropbox") << ".dropbox" << false;
    }
    void markersInTheFolderOrAbove()
    {
        QFETCH(QString, marker);
        QFETCH(bool, folder);
        QTemporaryDir dir;
        const QString diaryFolder = dir.filePath("Sync/Vistelle");
        QVERIFY(QDir().mkpath(diaryFolder));
        QVERIFY(!hasSyncMarker(diaryFolder));
        if (folder) QVERIFY(QDir(dir.path()).mkpath("Sync/" + marker));
        else touch(dir.filePath("Sync/" + marker));
        QVERIFY(hasSyncMarker(diaryFolder));
        QVERIFY(hasSyncMarker(dir.filePath("Sync")));
    }
};

QTEST_GUILESS_MAIN(TestConflictCopies)
#include "tst_conflictcopies.moc"
