// The search's test of one entry against a plain reference kept here (decode, fold every
// character, find, go on behind the occurrence): the same occurrences at the same places,
// over random entries stored as ASCII, Windows-1252, UTF-8 and arbitrary bytes.

#include "core/textcodec.h"
#include "search/entrysearch.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace vistelle;

namespace {

QString foldEveryCharacter(QString text)
{
    for (QChar& c : text)
        if (!c.isSurrogate()) c = c.toLower();
    return text;
}

QList<qsizetype> referenceOccurrences(const QByteArray& stored, const QString& searchText)
{
    const QString haystack = foldEveryCharacter(decodeStoredText(stored));
    const QString needle = foldEveryCharacter(searchText);
    QList<qsizetype> found;
    for (qsizetype at = haystack.indexOf(needle); at >= 0; at = haystack.indexOf(needle, at + needle.size())) found << at;
    return found;
}

QList<qsizetype> occurrences(const QByteArray& stored, const QString& searchText)
{
    const EntrySearch search(foldEveryCharacter(searchText));
    QList<qsizetype> found;
    for (qsizetype at = search.indexIn(stored); at >= 0; at = search.indexIn(stored, at + search.needleLength())) found << at;
    return found;
}

// Characters whose folding is worth meeting: ASCII, Windows-1252 letters, and beyond it
// the Kelvin and Ohm signs and the dotted capital I (which fold to ASCII and Greek
// letters), a capital sharp s, Greek, Cyrillic and a character outside the BMP.
const QString Pool = QStringLiteral("aAbBkKiIsSzZ09 .,-\r\n"
                                    "\u00e9\u00c9\u00df\u00ff\u0178\u0160\u0161\u0152\u0153\u20ac\u00c4\u00e4"
                                    "\u212a\u2126\u0130\u0131\u1e9e\u03a3\u03c3\u03c2\u0416\u0436\U0001F600");

QString randomText(QRandomGenerator& random, int length, const QString& pool)
{
    QString text;
    while (text.size() < length) {
        const qsizetype i = random.bounded(pool.size());
        text += pool[i];
        if (pool[i].isHighSurrogate()) text += pool[i + 1];
        if (pool[i].isLowSurrogate()) text.chop(1);
    }
    return text;
}

QString flipCase(QRandomGenerator& random, QString text)
{
    for (QChar& c : text)
        if (random.bounded(2)) c = c.isUpper() ? c.toLower() : c.toUpper();
    return text;
}

// Stored entries of every kind the diary meets.
QList<QByteArray> randomEntries(QRandomGenerator& random, int count)
{
    const QString ascii = Pool.left(20), latin = Pool.left(32);
    QList<QByteArray> entries;
    for (int i = 0; i < count; ++i) {
        const int length = random.bounded(60);
        switch (i % 4) {
        case 0: entries << encodeStoredText(randomText(random, length, ascii)); break;
        case 1: entries << encodeStoredText(randomText(random, length, latin)); break; // Windows-1252
        case 2: entries << encodeStoredText(randomText(random, length, Pool)); break;  // mostly UTF-8
        default: {
            QByteArray bytes(length, Qt::Uninitialized);
            for (char& b : bytes) b = char(random.bounded(256));
            entries << bytes;
        }
        }
    }
    return entries;
}

} // namespace

class TestEntrySearch : public QObject {
    Q_OBJECT

private slots:
    void findsWhatThePlainSearchFinds()
    {
        QRandomGenerator random(2009);
        const QList<QByteArray> entries = randomEntries(random, 400);
        QStringList needles = {QStringLiteral("\u212a"), QStringLiteral("\u0130"), QStringLiteral("SS"), QStringLiteral("\u00df"),
                               QStringLiteral("\r\n"), QStringLiteral("\U0001F600")};
        for (int i = 0; i < 300; ++i) {
            const QString entry = decodeStoredText(entries[random.bounded(entries.size())]);
            if (entry.isEmpty()) continue;
            const qsizetype at = random.bounded(entry.size());
            needles << flipCase(random, entry.mid(at, 1 + random.bounded(4)));
        }
        for (int i = 0; i < 100; ++i) needles << randomText(random, 1 + random.bounded(3), Pool);

        int found = 0;
        for (const QString& needle : needles) {
            for (const QByteArray& stored : entries) {
                const QList<qsizetype> expected = referenceOccurrences(stored, needle);
                QCOMPARE(occurrences(stored, needle), expected);
                found += int(expected.size());
            }
        }
        QVERIFY(found > 1000); // the needles do meet the entries
    }

    void asciiWayEdges_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("needle");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("expected");
        QTest::newRow("capital first letter") << QByteArray("xxDENTIST") << QByteArray("dentist") << 0 << 2;
        QTest::newRow("small before capital") << QByteArray("dX Dx") << QByteArray("dx") << 0 << 0;
        QTest::newRow("capital before small") << QByteArray("Dy dx") << QByteArray("dx") << 0 << 3;
        QTest::newRow("at the very end") << QByteArray("abcAB") << QByteArray("ab") << 1 << 3;
        QTest::newRow("from past the last start") << QByteArray("abcab") << QByteArray("ab") << 4 << -1;
        QTest::newRow("needle longer than text") << QByteArray("ab") << QByteArray("abc") << 0 << -1;
        QTest::newRow("no letter first") << QByteArray("a-B a-b") << QByteArray("-b") << 2 << 5;
        QTest::newRow("brackets are no letters") << QByteArray("[{@`") << QByteArray("{") << 0 << 1;
        QTest::newRow("zero byte") << QByteArray("a\0b", 3) << QByteArray("\0B", 2).toLower() << 0 << 1;
    }

    void asciiWayEdges()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, needle);
        QFETCH(int, from);
        QFETCH(int, expected);
        QCOMPARE(indexOfAsciiFolded(text, needle, from), qsizetype(expected));
    }

    void nonAsciiByteFoundAtEveryPlace()
    {
        for (int length = 0; length <= 19; ++length) {
            QByteArray bytes(length, 'a');
            QVERIFY(!hasNonAsciiByte(bytes));
            for (int i = 0; i < length; ++i) {
                QByteArray marked = bytes;
                marked[i] = char(0x80);
                QVERIFY2(hasNonAsciiByte(marked), qPrintable(QStringLiteral("%1 of %2").arg(i).arg(length)));
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestEntrySearch)
#include "tst_entrysearch.moc"
