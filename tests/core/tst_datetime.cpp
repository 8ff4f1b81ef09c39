#include "core/datetime.h"
#include "core/error.h"
#include "core/numbers.h"
#include "core/regional.h"
#include "core/textcodec.h"

#include <QTest>

using namespace vistelle;

class TestDateTime : public QObject {
    Q_OBJECT

private slots:
    void init() { setNowSource([] { return encodeDate(2026, 12, 9) + 0.5; }); setRegional(RegionalSettings{}); }
    void cleanup() { setNowSource({}); }

    void knownDateValues()
    {
        QCOMPARE(encodeDate(1899, 12, 30), 0.0);
        QCOMPARE(encodeDate(2009, 1, 1), 39814.0);
        QCOMPARE(encodeDate(1, 1, 1), double(MinDateDays));
        QCOMPARE(encodeDate(9999, 12, 31), double(MaxDateDays));
        QCOMPARE(dayOfWeek(encodeDate(2009, 2, 1)), 1); // a Sunday
        QCOMPARE(dayOfWeek(encodeDate(2009, 6, 1)), 2); // a Monday
        QCOMPARE(dayOfWeek(encodeDate(1, 1, 1)), 2);    // a Monday
    }

    void everyDayRoundTripsThroughTextAndParts()
    {
        for (int v = MinDateDays; v <= MaxDateDays; v += 97) {
            const DateParts p = decodeDate(v);
            QCOMPARE(encodeDate(p.year, p.month, p.day), double(v));
            QCOMPARE(strToDate(dateToStr(v)), double(v));
        }
    }

    void impossibleDatesRefuseToEncode()
    {
        for (auto [y, m, d] : {std::tuple{2009, 2, 29}, {0, 1, 1}, {10000, 1, 1}, {2009, 13, 1}, {2009, 4, 31}}) {
            try {
                encodeDate(y, m, d);
                QFAIL("encoded an impossible date");
            } catch (const Error& e) {
                QCOMPARE(e.message(), QStringLiteral("Invalid argument to date encode"));
            }
        }
    }

    void acceptedDateTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date");
        QTest::newRow("design caption") << "31/12/2004" << QDate(2004, 12, 31);
        QTest::newRow("settings date") << "06/07/5050" << QDate(5050, 7, 6);
        QTest::newRow("two numbers take the current year") << "12/5" << QDate(2026, 5, 12);
        QTest::newRow("blanks before numbers and separators") << " 1 / 2 / 2009" << QDate(2009, 2, 1);
        QTest::newRow("trailing separator and blanks") << "1/2/2009/  " << QDate(2009, 2, 1);
        QTest::newRow("two numbers and a trailing separator") << "1/2/" << QDate(2026, 2, 1);
        QTest::newRow("two numbers, trailing separator and blanks") << "12/5/  " << QDate(2026, 5, 12);
        QTest::newRow("two-digit year in the window") << "1/2/09" << QDate(2009, 2, 1);
        QTest::newRow("two-digit year before the window's century turn") << "1/2/76" << QDate(1976, 2, 1);
        QTest::newRow("two-digit year wraps to next century") << "1/2/75" << QDate(2075, 2, 1);
        QTest::newRow("one-digit year") << "1/2/5" << QDate(2005, 2, 1);
        QTest::newRow("three-digit year is taken as is") << "1/2/999" << QDate(999, 2, 1);
        QTest::newRow("leading zeros") << "0001/0002/2009" << QDate(2009, 2, 1);
    }
    void acceptedDateTexts()
    {
        QFETCH(QString, text);
        QFETCH(QDate, date);
        QCOMPARE(strToDate(text), encodeDate(date.year(), date.month(), date.day()));
    }

    void refusedDateTexts_data()
    {
        QTest::addColumn<QString>("text");
        for (const char* t : {"2009", "31/02/2009", "", " ", "1/2/2009x", "1//2009", "/1/2", "12/5//", "12/5/ /", "1/2/3/4",
                              "12345/1/2009", "1-2-2009", "+1/2/2009", "1/2/2009 10:00", "a/b/c"})
            QTest::newRow(t) << QString::fromLatin1(t);
    }
    void refusedDateTexts()
    {
        QFETCH(QString, text);
        try {
            strToDate(text);
            QFAIL("accepted a text that is not a date");
        } catch (const Error& e) {
            QCOMPARE(e.message(), QStringLiteral("'%1' is not a valid date").arg(text));
        }
    }

    void dateTimeTextDropsMidnight()
    {
        const TDateTime d = encodeDate(2009, 3, 1);
        QCOMPARE(dateTimeToStr(d), QStringLiteral("01/03/2009"));
        QCOMPARE(dateTimeToStr(d + (13 * 3600 + 5 * 60 + 7) / 86400.0), QStringLiteral("01/03/2009 13:05:07"));
        QCOMPARE(dateTimeToStr(d + 1 / 86400.0), QStringLiteral("01/03/2009 00:00:01"));
    }

    void dateTimeKeyTextKeepsWholeSeconds()
    {
        TDateTime v = 0;
        QVERIFY(tryStrToDateTime("01/03/2009 13:05:07", v));
        QCOMPARE(qRound64(v * MSecsPerDay), qRound64((encodeDate(2009, 3, 1) + (13 * 3600 + 5 * 60 + 7) / 86400.0) * MSecsPerDay));
        QVERIFY(tryStrToDateTime("01/03/2009", v));
        QCOMPARE(v, encodeDate(2009, 3, 1));
        QVERIFY(!tryStrToDateTime("01/03/2009 25:00:00", v));
    }

    void integerTexts()
    {
        QCOMPARE(strToInt("415"), 415);
        QCOMPARE(strToInt("-8"), -8);
        QCOMPARE(strToInt(" 12"), 12);
        for (const char* bad : {"", "12 ", "1x", "-", "99999999999"}) {
            try {
                strToInt(bad);
                QFAIL(bad);
            } catch (const Error& e) {
                QCOMPARE(e.message(), QStringLiteral("'%1' is not a valid integer value").arg(bad));
            }
        }
    }

    void storedTextKeepsEveryCharacter()
    {
        const QString western = QStringLiteral("caf\u00e9 \u20ac5 \u2013 na\u00efve");
        QCOMPARE(encodeStoredText(western), QByteArray("caf\xe9 \x80" "5 \x96 na\xefve"));
        QCOMPARE(decodeStoredText(encodeStoredText(western)), western);
        const QString other = QStringLiteral("\u65e5\u8a18 \u0436\u0443\u0440\u043d\u0430\u043b");
        QCOMPARE(encodeStoredText(other), other.toUtf8());
        QCOMPARE(decodeStoredText(encodeStoredText(other)), other);
        const QString lookalike = QStringLiteral("\u00c3\u00a9"); // its 1252 form is valid UTF-8
        QCOMPARE(decodeStoredText(encodeStoredText(lookalike)), lookalike);
        QByteArray all;
        for (int b = 1; b < 256; ++b) all.append(char(b));
        QCOMPARE(encodeStoredText(fromWindows1252(all)), all);
    }

    void foldingKeepsLength()
    {
        const QString s = QStringLiteral("DENTIST \u0130stanbul \u00df");
        QCOMPARE(foldLower(s).size(), s.size());
        QCOMPARE(foldLower("Dentist again, DENTIST"), QStringLiteral("dentist again, dentist"));
    }

    void messagesFillPlaceholdersInOrder()
    {
        QCOMPARE(fmt("Field '%s' has wrong length %d in record %d", QStringLiteral("date"), 9, 1),
                 QStringLiteral("Field 'date' has wrong length 9 in record 1"));
        QCOMPARE(fmt("'%s' is not a valid date", QStringLiteral("%d%s")), QStringLiteral("'%d%s' is not a valid date"));
    }
};

QTEST_GUILESS_MAIN(TestDateTime)
#include "tst_datetime.moc"
