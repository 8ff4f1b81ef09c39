#include "calendar/weeknumber.h"
#include "core/error.h"

#include <QDate>
#include <QTest>

using namespace vistelle;

class TestWeekNumber : public QObject {
    Q_OBJECT

private slots:
    void knownWeekNumbers_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::addColumn<int>("week");
        QTest::newRow("Mon 29 Dec 2008 is week 1 of 2009") << 2008 << 12 << 29 << 1;
        QTest::newRow("31 Dec 2008 (leap year, Wednesday)") << 2008 << 12 << 31 << 1;
        QTest::newRow("1 Jan 2009") << 2009 << 1 << 1 << 1;
        QTest::newRow("31 Dec 2009 (Thursday)") << 2009 << 12 << 31 << 53;
        QTest::newRow("Sun 3 Jan 2010 still week 53") << 2010 << 1 << 3 << 53;
        QTest::newRow("Mon 4 Jan 2010") << 2010 << 1 << 4 << 1;
        QTest::newRow("Sat 1 Jan 2005") << 2005 << 1 << 1 << 53;
        QTest::newRow("Sun 1 Jan 2006") << 2006 << 1 << 1 << 52;
        QTest::newRow("Mon 31 Dec 2012") << 2012 << 12 << 31 << 1;
        QTest::newRow("7 Jan 2009") << 2009 << 1 << 7 << 2;
        QTest::newRow("1 Jan of year 1 (Monday)") << 1 << 1 << 1 << 1;
        QTest::newRow("31 Dec 9999 (Friday)") << 9999 << 12 << 31 << 52;
    }
    void knownWeekNumbers()
    {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, day);
        QFETCH(int, week);
        QCOMPARE(int(WeekNumberOf(encodeDate(year, month, day))), week);
    }

    void timeOfDayIsIgnored()
    {
        const TDateTime date = encodeDate(2009, 12, 31);
        QCOMPARE(WeekNumberOf(date + 0.99), WeekNumberOf(date));
    }

    void everyDayOf1900To2100MatchesTheIsoWeek()
    {
        const TDateTime first = encodeDate(1900, 1, 1), last = encodeDate(2100, 12, 31);
        const QDate start(1900, 1, 1);
        for (TDateTime d = first; d <= last; d += 1) {
            const QDate q = start.addDays(qint64(d - first));
            if (WeekNumberOf(d) != q.weekNumber())
                QFAIL(qPrintable(QString("week of %1: %2, expected %3").arg(q.toString(Qt::ISODate)).arg(WeekNumberOf(d)).arg(q.weekNumber())));
        }
    }

    void datesOutsideTheRangeAreRefused()
    {
        for (TDateTime bad : {double(MinDateDays) - 1.0, double(MaxDateDays) + 1.0, qQNaN(), qInf()}) {
            try {
                WeekNumberOf(bad);
                QFAIL("no error");
            } catch (const Error& e) {
                QCOMPARE(e.message(), QString("Invalid argument to date encode"));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestWeekNumber)
#include "tst_weeknumber.moc"
