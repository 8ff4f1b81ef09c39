// Reading a file whole: the same bytes as Qt's readAll from any position, on either side
// of the size from which huge pages are asked for.

#include "core/wholefile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace vistelle;

class TestWholeFile : public QObject {
    Q_OBJECT

private slots:
    void readsTheSameBytesAsReadAll_data()
    {
        QTest::addColumn<qsizetype>("size");
        QTest::addColumn<qint64>("position");
        const qsizetype from = 2 * HugePageSize;
        QTest::newRow("empty") << qsizetype(0) << qint64(0);
        QTest::newRow("just below huge pages") << from - 1 << qint64(0);
        QTest::newRow("exactly two huge pages") << from << qint64(0);
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
};

QTEST_APPLESS_MAIN(TestWholeFile)
#include "tst_wholefile.moc"
