// Reading a file whole: the same bytes as Qt's readAll from any position, on either side
// of the size from which huge pages are asked for; parts of an array that share its memory.

#include "core/wholefile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <malloc.h>

using namespace vistelle;

namespace {

qint64 vmstat(const QByteArray& name)
{
    QFile f(QStringLiteral("/proc/vmstat"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(name + ' ')) return line.mid(name.size() + 1).toLongLong();
    return -1;
}

// The AnonHugePages of the mapping that holds the address, in KiB.
qint64 hugeKiBOfMappingAt(const void* address)
{
    QFile f(QStringLiteral("/proc/self/smaps"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const auto at = reinterpret_cast<quintptr>(address);
    bool inside = false;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const int dash = line.indexOf('-'), blank = line.indexOf(' ');
        if (dash > 0 && blank > dash && !line.startsWith("AnonHuge")) {
            bool ok1 = false, ok2 = false;
            const quintptr begin = line.left(dash).toULongLong(&ok1, 16);
            const quintptr end = line.mid(dash + 1, blank - dash - 1).toULongLong(&ok2, 16);
            if (ok1 && ok2) {
                inside = at >= begin && at < end;
                continue;
            }
        }
        if (inside && line.startsWith("AnonHugePages:")) return line.mid(14).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

} // namespace

class TestWholeFile : public QObject {
    Q_OBJECT

private slots:
    void readsTheSameBytesAsReadAll_data()
    {
        QTest::addColumn<qsizetype>("size");
        QTest::addColumn<qint64>("position");
        const qsizetype from = HugePagesFrom;
        QTest::newRow("empty") << qsizetype(0) << qint64(0);
        QTest::newRow("just below huge pages") << from - 1 << qint64(0);
        QTest::newRow("exactly where huge pages begin") << from << qint64(0);
        QTest::newRow("one byte more") << from + 1 << qint64(0);
        QTest::newRow("not a whole number of pages") << 3 * HugePageSize + 12345 << qint64(0);
        QTest::newRow("from the middle") << 3 * HugePageSize + 12345 << qint64(777);
    }

    void readsTheSameBytesAsReadAll()
    {
        QFETCH(qsizetype, size);
        QFETCH(qint64, position);
        QByteArray bytes(size, Qt::Uninitialized);
        for (qsizetype i = 0; i < size; ++i) bytes[i] = char(i * 7 + i / 4093);
        QTemporaryDir dir;
        QFile file(dir.filePath("f"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), qint64(size));
        file.close();

        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.seek(position));
        const QByteArray read = readWholeFile(file);
        QCOMPARE(file.error(), QFileDevice::NoError);
        QVERIFY(file.atEnd());
        QCOMPARE(read.size(), size - position);
        QVERIFY(read == bytes.mid(position));
    }

    // Every page of a large file's array is a huge one, the last included, where the
    // system hands them out.
    void largeFileLiesOnHugePagesToItsEnd()
    {
        QFile thp(QStringLiteral("/sys/kernel/mm/transparent_hugepage/enabled"));
        const QByteArray mode = thp.open(QIODevice::ReadOnly) ? thp.readAll() : QByteArray();
        if (!mode.contains("[always]") && !mode.contains("[madvise]")) QSKIP("no huge pages on this system");
        const qsizetype size = 3 * HugePageSize + 12345;
        QTemporaryDir dir;
        QFile file(dir.filePath("f"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(QByteArray(size, 'x')), qint64(size));
        file.close();

        // Fresh from the system, as at start-up: the memory of arrays freed before may
        // come back from the heap, already laid on small pages.
        mallopt(M_MMAP_THRESHOLD, 128 * 1024);
        const qint64 fallbacksBefore = vmstat("thp_fault_fallback");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray read = readWholeFile(file);
        QCOMPARE(read.size(), size);
        if (vmstat("thp_fault_fallback") != fallbacksBefore) QSKIP("the system had no huge page to spare");
        QCOMPARE(hugeKiBOfMappingAt(read.constData()), 4 * HugePageSize / 1024);
    }

    void partSharesTheWholeAndOutlivesIt()
    {
        QByteArray whole = QByteArray("0123456789").repeated(1000);
        const QByteArray expected = whole.mid(4321, 777);
        QByteArray part = sharedPart(whole, 4321, 777);
        QCOMPARE(part, expected);
        QCOMPARE(part.constData(), whole.constData() + 4321);

        // Changing the part copies it; the whole keeps its bytes.
        QByteArray changed = part;
        changed[0] = 'x';
        QCOMPARE(whole.mid(4321, 777), expected);
        QVERIFY(changed.constData() != part.constData());

        whole = QByteArray();
        QCOMPARE(part, expected);
        part.append("tail");
        QCOMPARE(part, expected + "tail");
    }

    void partOfRawDataOrNothingIsACopy()
    {
        static const char raw[] = "raw bytes held elsewhere";
        const QByteArray whole = QByteArray::fromRawData(raw, sizeof raw - 1);
        const QByteArray part = sharedPart(whole, 4, 5);
        QCOMPARE(part, QByteArray("bytes"));
        QVERIFY(part.constData() != raw + 4);
        QVERIFY(sharedPart(whole, 3, 0).isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestWholeFile)
#include "tst_wholefile.moc"
