// Reading a file whole: the same bytes as Qt's readAll from any position; parts of an array
// that share their memory.

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
        QTest::newRow("empty") << qsizetype(0) << qint64(0);
        QTest::newRow("one byte") << qsizetype(1) << qint64(0);
        QTest::newRow("at its end") << qsizetype(4096) << qint64(4096);
        QTest::newRow("megabytes") << qsizetype(3 << 20) + 12345 << qint64(0);
        QTest::newRow("from the middle") << qsizetype(3 << 20) + 12345 << qint64(777);
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
