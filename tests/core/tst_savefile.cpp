// Whole-file saves of the diary and of a picture set: atomic where the folder can be
// written, in place where it cannot but the file can.

#include "core/error.h"
#include "diary/exchange/diarylayout.h"
#include "core/savefile.h"
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
};

QTEST_GUILESS_MAIN(TestSaveFile)
#include "tst_savefile.moc"
