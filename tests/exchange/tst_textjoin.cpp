// The one rule that joins two texts of a date: known joins as a table, and random texts
// exchanged between computers in random orders, which must settle on the same pieces.

#include "core/textcodec.h"
#include "diary/exchange/textjoin.h"

#include <QRandomGenerator>
#include <QSet>
#include <QTest>

using namespace vistelle;

namespace {

const QByteArray Other = "\r\n----- other copy -----\r\n";

QByteArray joined(const QList<QByteArray>& pieces)
{
    QByteArray text;
    for (qsizetype i = 0; i < pieces.size(); ++i) text += (i ? Other : QByteArray()) + pieces[i];
    return text;
}

} // namespace

class TestTextJoin : public QObject {
    Q_OBJECT

private slots:
    void joinKeepsOursAndAddsWhatItLacks_data()
    {
        QTest::addColumn<QByteArray>("ours");
        QTest::addColumn<QByteArray>("theirs");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("the same text") << QByteArray("a") << QByteArray("a") << QByteArray("a");
        QTest::newRow("another text goes after ours") << QByteArray("A8") << QByteArray("B8") << joined({"A8", "B8"});
        QTest::newRow("a text holding ours adds only its other piece")
            << QByteArray("S3 A eight") << joined({"S3 B eight", "S3 A eight"}) << joined({"S3 A eight", "S3 B eight"});
        QTest::newRow("the same pieces in another order") << joined({"A", "B"}) << joined({"B", "A"}) << joined({"A", "B"});
        QTest::newRow("line breaks and trailing blanks do not count")
            << QByteArray("one\r\ntwo") << QByteArray("one  \ntwo\n\n") << QByteArray("one\r\ntwo");
        QTest::newRow("a piece continued there is replaced")
            << joined({"I went", "B"}) << QByteArray("I went home") << joined({"I went home", "B"});
        QTest::newRow("the start of a piece of ours is held") << QByteArray("I went home") << QByteArray("I went")
                                                             << QByteArray("I went home");
        QTest::newRow("one longer piece replaces two of its starts")
            << joined({"a", "b", "ab"}) << QByteArray("abc") << joined({"abc", "b"});
        QTest::newRow("the import's separator parts pieces too")
            << QByteArray("x\r\n----- imported -----\r\ny") << QByteArray("y") << QByteArray("x\r\n----- imported -----\r\ny");
        QTest::newRow("a separator line with trailing blanks")
            << QByteArray("x\n----- other copy -----  \ny") << QByteArray("y\r\n----- other copy -----\r\nx")
            << QByteArray("x\n----- other copy -----  \ny");
        QTest::newRow("a text beginning with a separator line")
            << QByteArray("----- other copy -----\r\nx") << QByteArray("y") << "----- other copy -----\r\nx" + Other + "y";
        QTest::newRow("two separator lines in a row")
            << ("a" + Other + "----- imported -----\r\nb") << QByteArray("c") << ("a" + Other + "----- imported -----\r\nb" + Other + "c");
        QTest::newRow("an empty text takes theirs") << QByteArray() << QByteArray("x") << QByteArray("x");
        QTest::newRow("an empty text of theirs adds nothing") << QByteArray("x") << QByteArray() << QByteArray("x");
        QTest::newRow("a blank text takes theirs") << QByteArray(" \r\n") << joined({"x", "y"}) << joined({"x", "y"});
        QTest::newRow("texts in two code pages join as text")
            << QByteArray("caf\xE9") << QByteArray("\xE6\x97\xA5") << ("caf\xC3\xA9" + Other + "\xE6\x97\xA5");
    }
    void joinKeepsOursAndAddsWhatItLacks()
    {
        QFETCH(QByteArray, ours);
        QFETCH(QByteArray, theirs);
        QFETCH(QByteArray, expected);
        QCOMPARE(joinTexts(ours, otherCopySeparator(), theirs), expected);
        QCOMPARE(holdsText(ours, theirs), expected == ours);
        // Joining again changes nothing.
        QCOMPARE(joinTexts(expected, otherCopySeparator(), theirs), expected);
    }

    void piecesAreThePartsBetweenSeparatorLines()
    {
        QCOMPARE(textPieces("a \r\n----- other copy -----\r\nb\n\n----- imported -----\nc\r\n"),
                 (QStringList{"a", "b", "c"}));
        QCOMPARE(textPieces("----- other copy -----\r\nx"), (QStringList{"", "x"}));
        QCOMPARE(textPieces("a\r\n----- other copy -----\r\n----- other copy -----\r\nb"), (QStringList{"a", "", "b"}));
        QCOMPARE(textPieces("not ----- other copy -----"), QStringList{"not ----- other copy -----"});
        QVERIFY(sameText(joined({"A", "B"}), joined({"B", "A", "B"})));
        QVERIFY(!sameText("ab", "abc"));
    }

    // Two or three computers each hold a text made of pieces (some the start of others,
    // some differing only in line breaks or trailing blanks). Random joins in random
    // orders, then joins every way until nothing changes: this must end within two rounds,
    // with every text holding the same pieces, each once, none the start of another.
    void randomTextsExchangedInRandomOrdersSettle()
    {
        const QStringList pool = {"I went", "I went home", "I went home early\r\nby bus", "Rain", "Rain \r\n",
                                  "Rainy day", "S3 A eight", "S3 B eight", "caf\u00E9", "\u65E5\u672C",
                                  "line one\r\nline two", "line one\nline two  \n"};
        QRandomGenerator random(20091224);
        for (int run = 0; run < 400; ++run) {
            const int count = 2 + int(random.bounded(2));
            QList<QByteArray> texts;
            QSet<QString> all;
            for (int i = 0; i < count; ++i) {
                QStringList pieces;
                QStringList keys;
                for (int k = 0, n = 1 + int(random.bounded(3)); k < n; ++k) {
                    const QString piece = pool[random.bounded(pool.size())];
                    const QString key = textPieces(encodeStoredText(piece)).first();
                    bool related = false;
                    for (const QString& other : keys) related |= other.startsWith(key) || key.startsWith(other);
                    if (related) continue;
                    keys << key;
                    pieces << piece;
                }
                for (const QString& k : keys) all.insert(k);
                texts << encodeStoredText(pieces.join(QString::fromLatin1(Other)));
            }
            for (int step = 0, n = int(random.bounded(8)); step < n; ++step) {
                const int to = int(random.bounded(count)), from = int(random.bounded(count));
                texts[to] = joinTexts(texts[to], otherCopySeparator(), texts[from]);
            }
            int rounds = 0;
            for (bool changed = true; changed; ++rounds) {
                QVERIFY2(rounds < 3, qPrintable(QStringLiteral("run %1 does not settle").arg(run)));
                changed = false;
                for (int to = 0; to < count; ++to) {
                    for (int from = 0; from < count; ++from) {
                        const QByteArray next = joinTexts(texts[to], otherCopySeparator(), texts[from]);
                        changed |= next != texts[to];
                        texts[to] = next;
                    }
                }
            }
            QSet<QString> longest;
            for (const QString& k : all) {
                bool startOfAnother = false;
                for (const QString& other : all) startOfAnother |= other != k && other.startsWith(k);
                if (!startOfAnother) longest.insert(k);
            }
            for (const QByteArray& text : texts) {
                const QStringList pieces = textPieces(text);
                QCOMPARE(QSet<QString>(pieces.begin(), pieces.end()), longest);
                QCOMPARE(pieces.size(), longest.size());
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestTextJoin)
#include "tst_textjoin.moc"
