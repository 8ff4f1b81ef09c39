#include "calendar/weeknumber.h"
#include "core/error.h"

#include <QDate>
#include <QTest>

using namespace vistelle;

class TestWeekNumber : public QObject {
    Q_OBJECT

private slots:
    void knownWeekNumbers()
    {
        const struct { int y, m, d, week; } known[] = {
            {2008, 12, 29, 1}, {2008, 12, 31, 1}, {2009, 1, 1, 1}, {2009, 12, 31, 53}, {2010, 1, 3, 53},
            {2010, 1, 4, 1},   {2005, 1, 1, 53},  {2006, 1, 1, 52}, {2012, 12, 31, 1},  {1, 1, 1, 1},
            {9999, 12, 31, 52}};
        for (const auto& k : known) {
            QCOMPARE(int(WeekNumberOf(encodeDate(k.y, k.m, k.d))), k.week);
            QCOMPARE(int(WeekNumberOf(encodeDate(k.y, k.m, k.d) + 0.99)), k.week); // time of day ignored
        }
    }

    void matchesTheIsoWeekOn1900To2100AndEveryYearBoundary()
    {
        const TDateTime first = encodeDate(1900, 1, 1);
        for (QDate q(1900, 1, 1); q.year() <= 2100; q = q.addDays(1))
            if (WeekNumberOf(first + double(QDate(1900, 1, 1).daysTo(q))) != q.weekNumber())
                QFAIL(qPrintable("week of " + q.toString(Qt::ISODate)));
        for (int year = 2; year <= 9999; ++year) {
            for (QDate q = QDate(year, 1, 1).addDays(-4); q <= QDate(year, 1, 4); q = q.addDays(1))
                QCOMPARE(int(WeekNumberOf(encodeDate(q.year(), q.month(), q.day()))), q.weekNumber());
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
