// Files read ahead at start-up: handed over once, and only while the file on disk is still
// the one read; a table opened from them has the rows, or meets the error, it would have
// met reading the file itself.

#include "enginetestutil.h"
#include "core/readahead.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <future>
#include <stdio.h>

using namespace vistelle;
using namespace enginetest;

class TestReadAhead : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

    // What an Open of the file gives: its record count, or its error.
    static QString openedFrom(const QString& file)
    {
        TVolgaTable table;
        QString outcome = errorOf([&] { openFile(table, file); });
        if (table.Active()) outcome = QString::number(table.RecordCount());
        return outcome;
    }

private slots:
    void handsOverBytesAndDigestOnce()
    {
        writeFile(path("a"), "first");
        writeFile(path("b"), "second");
        ReadAhead ahead({{path("a"), [](const QByteArray& bytes) { return std::any(bytes.size()); }},
                         {path("b")},
                         {path("missing")}});
        const std::optional<ReadAhead::Read> a = ReadAhead::take(path("a"));
        QVERIFY(a);
        QCOMPARE(a->bytes, QByteArray("first"));
        QCOMPARE(std::any_cast<qsizetype>(a->digest), qsizetype(5));
        const std::optional<ReadAhead::Read> b = ReadAhead::take(path("b"));
        QVERIFY(b);
        QCOMPARE(b->bytes, QByteArray("second"));
        QVERIFY(!b->digest.has_value());
        QVERIFY(!ReadAhead::take(path("a"))); // taken
        QVERIFY(!ReadAhead::take(path("missing")));
        QVERIFY(!ReadAhead::take(path("never asked for")));
    }

    void fileChangedSinceItWasReadIsNotHandedOver_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("replaced") << "replaced";
        QTest::newRow("rewritten in place") << "rewritten";
        QTest::newRow("removed") << "removed";
    }

    void fileChangedSinceItWasReadIsNotHandedOver()
    {
        QFETCH(QString, change);
        const QString file = path("changing");
        writeFile(file, "as read ahead");
        std::promise<void> read;
        ReadAhead ahead({{file, [&read](const QByteArray&) {
                              read.set_value();
                              return std::any();
                          }}});
        read.get_future().wait();
        if (change == "replaced") {
            writeFile(path("other"), "written by another program");
            QCOMPARE(::rename(QFile::encodeName(path("other")).constData(), QFile::encodeName(file).constData()), 0);
        } else if (change == "rewritten") {
            writeFile(file, "written in place, longer");
        } else {
            QVERIFY(QFile::remove(file));
        }
        QVERIFY(!ReadAhead::take(file));
    }

    void tableOpensAsFromItsFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = hex(OneEntryDiary);
        QTest::newRow("one entry") << good;
        QTest::newRow("cut short") << good.left(good.size() - 5);
        QTest::newRow("header only") << good.left(16);
        QTest::newRow("empty") << QByteArray();
    }

    void tableOpensAsFromItsFile()
    {
        QFETCH(QByteArray, bytes);
        const QString file = path("diary.dat");
        writeFile(file, bytes);
        const QString direct = openedFrom(file);
        ReadAhead ahead({TVolgaTable::readAheadFile(file)});
        QCOMPARE(openedFrom(file), direct);
        QVERIFY(!ReadAhead::take(file)); // the Open took what was read ahead
    }
};

QTEST_GUILESS_MAIN(TestReadAhead)
#include "tst_readahead.moc"
