#include "calendar/monthgrid.h"
#include "core/error.h"

#include <QTest>

using namespace vistelle;

namespace {
struct Layout { int year, month; int offset; GridCell firstDay, lastDay; int firstEmptyRow; };
struct Step { DateParts from; int delta; YearMonth to; int day; };

QString failureOf(const std::function<void()>& f)
{
    try { f(); } catch (const Error& e) { return e.message(); }
    return {};
}
} // namespace

Q_DECLARE_METATYPE(Layout)
Q_DECLARE_METATYPE(Step)

class TestMonthGrid : public QObject {
    Q_OBJECT

private slots:
    void monthLengthsFollowTheGregorianRule()
    {
        QCOMPARE(MonthLength(2009, 1), 31);
        QCOMPARE(MonthLength(2009, 4), 30);
        QCOMPARE(MonthLength(2009, 2), 28);
        QCOMPARE(MonthLength(2008, 2), 29);
        QCOMPARE(MonthLength(1900, 2), 28);
        QCOMPARE(MonthLength(2000, 2), 29);
        QCOMPARE(failureOf([] { MonthLength(2009, 0); }), QString("Range check error"));
        QCOMPARE(failureOf([] { MonthLength(2009, 13); }), QString("Range check error"));
    }

    void monthLayoutsWithMondayFirst_data()
    {
        QTest::addColumn<Layout>("l");
        QTest::newRow("February 2009, 1st a Sunday") << Layout{2009, 2, -5, {6, 1}, {5, 5}, 6};
        QTest::newRow("June 2009, 1st a Monday") << Layout{2009, 6, 1, {0, 1}, {1, 5}, 6};
        QTest::newRow("March 2009 needs row 6") << Layout{2009, 3, -5, {6, 1}, {1, 6}, 7};
        QTest::newRow("February 2010 fills four rows") << Layout{2010, 2, 1, {0, 1}, {6, 4}, 5};
    }
    void monthLayoutsWithMondayFirst()
    {
        QFETCH(Layout, l);
        const MonthGrid grid = MonthGrid::of(l.year, l.month, 1);
        QCOMPARE(grid.firstCellOffset(), l.offset);
        QCOMPARE(grid.dayCaption(l.firstDay), QString("1"));
        QCOMPARE(grid.dayCaption(l.lastDay), QString::number(grid.monthLength()));
        QCOMPARE(grid.dayCaption({l.firstDay.col - 1, 1}), QString());
        for (int row = l.firstEmptyRow; row <= LastDayRow; ++row)
            for (int col = 0; col < GridColumns; ++col) QCOMPARE(grid.dayCaption({col, row}), QString());
    }

    void everyDayMapsToItsWeekdayColumnAndBack()
    {
        for (int start = 0; start < 7; ++start) {
            for (int year : {1, 2008, 2009, 9999}) {
                for (int month = 1; month <= 12; ++month) {
                    const MonthGrid grid = MonthGrid::of(year, month, start);
                    QVERIFY(grid.firstCellOffset() >= -5 && grid.firstCellOffset() <= 1);
                    int shown = 0;
                    for (int row = 0; row <= GridRows; ++row)
                        for (int col = -1; col <= GridColumns; ++col) shown += !grid.dayCaption({col, row}).isEmpty();
                    QCOMPARE(shown, grid.monthLength());
                    for (int day = 1; day <= grid.monthLength(); ++day) {
                        const GridCell cell = grid.cellOfDay(day);
                        QCOMPARE(grid.dayCaption(cell), QString::number(day));
                        QCOMPARE(cell.col, (dayOfWeek(encodeDate(year, month, day)) - 1 - start + 7) % 7);
                    }
                }
            }
        }
    }

    void headerNamesFollowTheStartOfWeek()
    {
        const std::array<QString, 7> names{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
        auto header = [&](int start) {
            QStringList shown;
            for (int col = 0; col < GridColumns; ++col) shown << MonthGrid::headerCaption(col, start, names);
            return shown.join(' ');
        };
        QCOMPARE(header(0), QString("Sun Mon Tue Wed Thu Fri Sat"));
        QCOMPARE(header(1), QString("Mon Tue Wed Thu Fri Sat Sun"));
        QCOMPARE(MonthGrid::headerCaption(7, 1, names), QString());
    }

    void monthStepsCrossYearsAndClampTheDay_data()
    {
        QTest::addColumn<Step>("s");
        QTest::newRow("31 Jan 2009 forward") << Step{{2009, 1, 31}, 1, {2009, 2}, 28};
        QTest::newRow("31 Jan 2008 forward") << Step{{2008, 1, 31}, 1, {2008, 2}, 29};
        QTest::newRow("28 Feb 2009 forward keeps 28") << Step{{2009, 2, 28}, 1, {2009, 3}, 28};
        QTest::newRow("31 Mar 2009 back") << Step{{2009, 3, 31}, -1, {2009, 2}, 28};
        QTest::newRow("15 Dec 2008 forward") << Step{{2008, 12, 15}, 1, {2009, 1}, 15};
        QTest::newRow("10 Jan 2009 back") << Step{{2009, 1, 10}, -1, {2008, 12}, 10};
        QTest::newRow("December 9999 leaves the range") << Step{{9999, 12, 31}, 1, {10000, 1}, 31};
    }
    void monthStepsCrossYearsAndClampTheDay()
    {
        QFETCH(Step, s);
        const YearMonth to = neighbourMonth({s.from.year, s.from.month}, s.delta);
        QCOMPARE(to, s.to);
        QCOMPARE(clampDay(s.from.day, MonthLength(to.year, to.month)), s.day);
    }

    void monthStepBackFromJanuaryOfYearOneIsARangeError()
    {
        QCOMPARE(failureOf([] { neighbourMonth({1, 1}, -1); }), QString("Range check error"));
        QCOMPARE(neighbourMonth({1, 2}, -1), (YearMonth{1, 1}));
    }
};

QTEST_GUILESS_MAIN(TestMonthGrid)
#include "tst_monthgrid.moc"
