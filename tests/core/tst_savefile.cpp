// Whole-file saves of the diary and of a picture set: atomic where the folder can be
// written, in place where it cannot but the file can.

#include "core/error.h"
#include "diary/exchange/diarylayout.h"
#include "core/inplacesave.h"
#include "core/savefile.h"
#include "tests/faults.h"
#include "diary/engine/volgatable.h"
#include "pictures/jpeggraphic.h"
#include "pictures/setfilewriter.h"
#include "pictures/tlmdgraphiclist.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/mount.h>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vistelle;

namespace {

constexpr unsigned Nobody = 65534;

// Folder permissions do not bind root. As root, file access runs under an ordinary
// identity while the guard lives (the filesystem identity is the calling thread's own).
class AsOrdinaryUser {
public:
    AsOrdinaryUser()
    {
        if (geteuid() != 0) return;
        m_active = true;
        setfsgid(Nobody);
        setfsuid(Nobody);
    }
    ~AsOrdinaryUser()
    {
        if (!m_active) return;
        setfsuid(0);
        setfsgid(0);
    }

private:
    bool m_active = false;
};

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes, QFile::Permissions permissions)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    QVERIFY(f.setPermissions(permissions));
}

ino_t inodeOf(const QString& path)
{
    struct stat st{};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

QString errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Error& e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}

// A diary with one entry, open, kept in `folder`.
void openDiary(TVolgaTable& table, const QString& folder)
{
    createDiary(table, folder + "/diary.dat");
    table.AppendRecord({Variant::fromDateTime(39814.0), QByteArray("abc")});
}

// A set with one small picture.
void fillSet(TLMDGraphicList& list)
{
    list.setObjectName("piclist2");
    QImage image(16, 8, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    TLMDGraphicListItem& item = list.Graphics().add();
    item.setName("janpic");
    item.setPicture(Picture(std::make_shared<JpegGraphic>(jpeg)));
}

QStringList filesIn(const QString& folder) { return QDir(folder).entryList(QDir::Files | QDir::Hidden); }

const QFile::Permissions AllRead = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
const QFile::Permissions AllReadWrite = AllRead | QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
const QFile::Permissions AllEnter = AllRead | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;

} // namespace

class TestSaveFile : public QObject {
    Q_OBJECT

    QTemporaryDir m_data; // the user's data folder, where in-place saves keep their copy

private slots:
    void initTestCase()
    {
        QVERIFY(QFile::setPermissions(m_data.path(), AllEnter | QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.path()));
    }

    void savesInPlaceInAFolderThatCannotBeWritten()
    {
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), AllEnter | QFile::WriteOwner));
        const QString locked = dir.filePath("locked");
        QVERIFY(QDir().mkdir(locked));
        TVolgaTable table;
        openDiary(table, dir.path());
        table.SaveToFile(dir.filePath("diary.dat"));
        const QByteArray diary = readFile(dir.filePath("diary.dat"));
        TLMDGraphicList set;
        fillSet(set);

        writeFile(locked + "/diary.dat", "old diary", AllReadWrite);
        writeFile(locked + "/graphics2.dat", "old set", AllReadWrite);
        writeFile(locked + "/graphics3.dat", "read only", AllRead);
        const ino_t diaryInode = inodeOf(locked + "/diary.dat");
        QVERIFY(QFile::setPermissions(locked, AllEnter));
        QString diaryError, setError, readOnlyError;
        {
            AsOrdinaryUser user;
            QVERIFY(!QFile(locked + "/probe").open(QIODevice::WriteOnly));
            diaryError = errorOf([&] { table.SaveToFile(locked + "/diary.dat"); });
            setError = errorOf([&] { writeSetFile(set, locked + "/graphics2.dat"); });
            readOnlyError = errorOf([&] { writeSetFile(set, locked + "/graphics3.dat"); });
            // Rewritten in place, the file is replaced before anything could be asked.
            QVERIFY(writeFileWhole(locked + "/graphics2.dat", "asked", nullptr, [] { return false; }));
            QVERIFY(writeFileWhole(locked + "/graphics2.dat", setFileBytes(set)));
        }
        QVERIFY(QFile::setPermissions(locked, AllEnter | QFile::WriteOwner));

        QCOMPARE(diaryError, QString("<no error>"));
        QCOMPARE(readFile(locked + "/diary.dat"), diary);
        QCOMPARE(inodeOf(locked + "/diary.dat"), diaryInode); // rewritten in place
        QCOMPARE(setError, QString("<no error>"));
        QCOMPARE(readFile(locked + "/graphics2.dat"), setFileBytes(set));
        // A file that cannot be written either keeps its bytes.
        QCOMPARE(readOnlyError, "Cannot create file " + locked + "/graphics3.dat");
        QCOMPARE(readFile(locked + "/graphics3.dat"), QByteArray("read only"));
        QCOMPARE(QDir(locked).entryList(QDir::Files | QDir::Hidden),
                 QStringList({"diary.dat", "graphics2.dat", "graphics3.dat"}));
    }

    void savesThroughATemporaryFileInAFolderThatCanBeWritten()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("diary.dat");
        TVolgaTable table;
        openDiary(table, dir.path());
        const QByteArray empty = readFile(path);
        const ino_t before = inodeOf(path);
        table.SaveToFile(path);
        const QByteArray diary = readFile(path);
        QVERIFY(diary.size() > empty.size());
        QVERIFY(inodeOf(path) != before); // a new file took the old one's place

        // Withdrawn at the last moment (another program wrote the file meanwhile), the
        // write leaves the old file and no temporary file.
        QVERIFY(!writeFileWhole(path, "withdrawn", nullptr, [] { return false; }));
        QCOMPARE(readFile(path), diary);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList("diary.dat"));

        // A write that fails part-way leaves the old file whole and no temporary file.
        table.AppendRecord({Variant::fromDateTime(39815.0), QByteArray(8192, 'x')});
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit limited = saved;
        limited.rlim_cur = 4096;
        setrlimit(RLIMIT_FSIZE, &limited);
        const QString error = errorOf([&] { table.SaveToFile(path); });
        setrlimit(RLIMIT_FSIZE, &saved);
        QCOMPARE(error, "Cannot create file " + path);
        QCOMPARE(readFile(path), diary);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList("diary.dat"));
    }
    // Bytes handed over as they grow final (a protected diary being sealed) are written in
    // order as they do; a write failing part-way leaves the old file whole.
    void savesBytesAsTheyGrowFinal()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("diary.dat");
        QByteArray bytes(3 * 1048576 + 7, Qt::Uninitialized);
        for (qsizetype i = 0; i < bytes.size(); ++i) bytes[i] = char(i * 7 + i / 251);
        QList<qsizetype> asked;
        const auto ready = [&](qsizetype n) {
            asked << n;
            return std::min(bytes.size(), n + 4096);
        };
        QVERIFY(saveFile(path, bytes, nullptr, ready).saved);
        QCOMPARE(readFile(path), bytes);
        QVERIFY(std::is_sorted(asked.begin(), asked.end()) && asked.size() >= 3);
        QCOMPARE(asked.last(), bytes.size());

        faults::writeBudget = 1 << 20;
        const bool saved = saveFile(path, QByteArray(bytes.size(), 'y'), nullptr, ready).saved;
        faults::writeBudget = -1;
        QVERIFY(!saved);
        QCOMPARE(readFile(path), bytes);
        QCOMPARE(filesIn(dir.path()), QStringList("diary.dat"));
    }

    // The data reaches the disk before the file is replaced, and the new name with its
    // folder: a sync that fails fails the save.
    void failedSyncFailsTheSave_data()
    {
        QTest::addColumn<bool>("dataSyncFails");
        QTest::newRow("data sync") << true;
        QTest::newRow("folder sync") << false;
    }

    void failedSyncFailsTheSave()
    {
        QFETCH(bool, dataSyncFails);
        QTemporaryDir dir, other;
        TVolgaTable table;
        openDiary(table, other.path());
        const QString path = dir.filePath("diary.dat");
        writeFile(path, "old", AllReadWrite);
        (dataSyncFails ? faults::dataSync : faults::folderSync) = EIO;
        const SaveResult result = saveFile(path, "new");
        const QString error = errorOf([&] { table.SaveToFile(path); });
        faults::clear();
        QVERIFY(!result.saved);
        QCOMPARE(error, "Cannot create file " + path);
        // A failed data sync leaves the old file; a failed folder sync the file this save
        // wrote, which its stamp names so that the next save goes over it.
        QCOMPARE(readFile(path), dataSyncFails ? QByteArray("old") : table.saveImage());
        QCOMPARE(result.stamp.exists(), !dataSyncFails);
        QCOMPARE(filesIn(dir.path()), QStringList("diary.dat"));
    }

    // Another program replaces the file between the merge and the save: the save gives way,
    // whether the file system can swap two files in one step or not.
    void writeAtTheLastInstantIsNeverReplacedUnseen_data()
    {
        QTest::addColumn<bool>("canSwap");
        QTest::newRow("swap") << true;
        QTest::newRow("no swap (network file systems)") << false;
    }

    void writeAtTheLastInstantIsNeverReplacedUnseen()
    {
        QFETCH(bool, canSwap);
        QTemporaryDir dir;
        const QString path = dir.filePath("diary.dat");
        writeFile(path, "seen", AllReadWrite);
        const FileStamp seen = FileStamp::of(path);
        if (!canSwap) faults::exchange = EINVAL;
        SaveResult result = saveFile(path, "ours", &seen); // the file is still the one seen
        QVERIFY(result.saved);
        QVERIFY(result.displaced.isEmpty());
        QCOMPARE(result.stamp, FileStamp::of(path));

        const FileStamp ours = result.stamp;
        const auto anotherProgramSaves = [&] {
            writeFile(dir.filePath("other"), "theirs", AllReadWrite);
            QVERIFY(::rename(QFile::encodeName(dir.filePath("other")).constData(), QFile::encodeName(path).constData()) == 0);
        };
        anotherProgramSaves(); // before the save: it is seen at once
        result = saveFile(path, "ours again", &ours);
        QVERIFY(!result.saved && result.changedOnDisk && result.displaced.isEmpty());
        QCOMPARE(readFile(path), QByteArray("theirs"));

        const FileStamp theirs = FileStamp::of(path);
        faults::beforeRename = anotherProgramSaves; // at the last instant
        result = saveFile(path, "ours again", &theirs);
        faults::clear();
        // Swapped out, it is swapped back at once, and a copy kept to be merged (a program
        // reading in that instant saw the save); without a swap it is never replaced.
        QVERIFY(!result.saved && result.changedOnDisk);
        QCOMPARE(readFile(path), QByteArray("theirs"));
        QCOMPARE(result.displaced.size(), canSwap ? 1 : 0);
        if (canSwap) QCOMPARE(readFile(result.displaced[0]), QByteArray("theirs"));
        QCOMPARE(leftoverSaves(path), result.displaced);
        for (const QString& name : result.displaced) QFile::remove(name);
        // What a crash can leave under a temporary name is listed to be merged, oldest first.
        writeFile(path + ".Ab3dE6", "left by a crash", AllReadWrite);
        writeFile(path + ".notmine", "other", AllReadWrite);
        QCOMPARE(leftoverSaves(path), QStringList(path + ".Ab3dE6"));
        // A file that appears where none was seen is not replaced either.
        const QString fresh = dir.filePath("fresh.dat");
        const FileStamp none;
        writeFile(fresh, "theirs", AllReadWrite);
        QVERIFY(saveFile(fresh, "ours", &none).changedOnDisk);
        QCOMPARE(readFile(fresh), QByteArray("theirs"));
    }

    // In a folder the user cannot write, a save that cannot have all the space it needs
    // fails before a byte of the file changes.
    void inPlaceSaveOnAFullDiskLeavesTheFileWhole_data()
    {
        QTest::addColumn<bool>("smallDisk");
        QTest::addColumn<long>("fileSystem");
        QTest::newRow("full disk") << true << 0L;
        QTest::newRow("space cannot be reserved") << false << 0L;
        // An overwrite there needs new blocks: reserved space does not cover it.
        QTest::newRow("copy on write (btrfs)") << false << 0x9123683EL;
    }

    void inPlaceSaveOnAFullDiskLeavesTheFileWhole()
    {
        QFETCH(bool, smallDisk);
        QFETCH(long, fileSystem);
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), AllEnter | QFile::WriteOwner));
        const QString disk = dir.filePath("disk");
        QVERIFY(QDir().mkdir(disk));
        if (smallDisk && ::mount("tmpfs", QFile::encodeName(disk).constData(), "tmpfs", 0, "size=256k") != 0)
            QSKIP("a small tmpfs cannot be mounted here (it needs root); the reserve is tested without it");
        const auto unmount = qScopeGuard([&] {
            if (smallDisk) ::umount2(QFile::encodeName(disk).constData(), MNT_DETACH);
        });
        QVERIFY(QFile::setPermissions(disk, AllEnter | QFile::WriteOwner));
        const QString locked = disk + "/locked";
        QVERIFY(QDir().mkdir(locked));
        const QByteArray old(100000, 'o');
        writeFile(locked + "/diary.dat", old, AllReadWrite);
        if (smallDisk) {
            QFile filler(disk + "/filler");
            QVERIFY(filler.open(QIODevice::WriteOnly));
            while (filler.write(QByteArray(4096, 'f')) == 4096 && filler.flush()) {}
        } else if (fileSystem) {
            faults::fileSystem = fileSystem;
        } else {
            faults::reserve = EOPNOTSUPP;
        }
        QVERIFY(QFile::setPermissions(locked, AllEnter));
        const QByteArray bigger(160000, 'n');
        SaveResult result;
        {
            AsOrdinaryUser user;
            result = saveFile(locked + "/diary.dat", bigger);
        }
        faults::clear();
        QVERIFY(!result.saved);
        QVERIFY(readFile(locked + "/diary.dat") == old);
        QVERIFY(!QFile::exists(inPlaceCopyName(locked + "/diary.dat")));

        if (smallDisk) QVERIFY(QFile::remove(disk + "/filler"));
        {
            AsOrdinaryUser user;
            result = saveFile(locked + "/diary.dat", bigger);
        }
        QVERIFY(result.saved);
        QVERIFY(readFile(locked + "/diary.dat") == bigger);
        QVERIFY(!QFile::exists(inPlaceCopyName(locked + "/diary.dat")));
        QCOMPARE(filesIn(locked), QStringList("diary.dat"));
    }

    // A save in place cut short leaves the file torn, and the copy it made first: the file
    // is restored from it, and the copy counts as a leftover until then.
    void inPlaceSaveCutShortIsRestoredFromItsCopy()
    {
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), AllEnter | QFile::WriteOwner));
        const QString locked = dir.filePath("locked");
        QVERIFY(QDir().mkdir(locked));
        const QString path = locked + "/diary.dat";
        writeFile(path, QByteArray(5000, 'o'), AllReadWrite);
        QVERIFY(QFile::setPermissions(locked, AllEnter));
        const QByteArray image(8000, 'n');
        SaveResult result;
        {
            AsOrdinaryUser user;
            faults::writeBudget = 3000;
            result = saveFile(path, image);
            faults::clear();
        }
        QVERIFY(!result.saved);
        QCOMPARE(result.stamp, FileStamp::of(path)); // the keeper knows the file as its own
        QCOMPARE(readFile(path), QByteArray(3000, 'n') + QByteArray(2000, 'o') + QByteArray(3000, '\0')); // reserved
        QCOMPARE(leftoverSaves(path), QStringList(inPlaceCopyName(path)));
        {
            AsOrdinaryUser user;
            QVERIFY(restoreFromInPlaceCopy(path));
        }
        QCOMPARE(readFile(path), image);
        QCOMPARE(leftoverSaves(path), QStringList());
        QVERIFY(QFile::setPermissions(locked, AllEnter | QFile::WriteOwner));
    }
};

QTEST_GUILESS_MAIN(TestSaveFile)
#include "tst_savefile.moc"
