#include "calendar/monthgrid.h"
#include "core/error.h"

#include <QTest>

using namespace vistelle;

Q_DECLARE_METATYPE(vistelle::GridCell)

namespace {
const std::array<QString, 7> English{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

QString failureOf(const std::function<void()>& f)
{
    try { f(); } catch (const Error& e) { return e.message(); }
    return {};
}
} // namespace

class TestMonthGrid : public QObject {
    Q_OBJECT

private slots:
    void monthLengthsFollowTheGregorianRule_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("length");
        QTest::newRow("January") << 2009 << 1 << 31;
        QTest::newRow("April") << 2009 << 4 << 30;
        QTest::newRow("common February") << 2009 << 2 << 28;
        QTest::newRow("leap February") << 2008 << 2 << 29;
        QTest::newRow("century February") << 1900 << 2 << 28;
        QTest::newRow("400-year February") << 2000 << 2 << 29;
        QTest::newRow("December of year 1") << 1 << 12 << 31;
    }
    void monthLengthsFollowTheGregorianRule()
    {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, length);
        QCOMPARE(MonthLength(year, month), length);
        QCOMPARE(IsLeap(year), MonthLength(year, 2) == 29);
    }

    void monthOutsideTheYearIsARangeError()
    {
        QCOMPARE(failureOf([] { MonthLength(2009, 0); }), QString("Range check error"));
        QCOMPARE(failureOf([] { MonthLength(2009, 13); }), QString("Range check error"));
    }

    // Which cells hold days, for a month laid out with Monday first.
    void monthLayoutsWithMondayFirst_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("offset");
        QTest::addColumn<GridCell>("firstDay");
        QTest::addColumn<GridCell>("lastDay");
        QTest::addColumn<int>("emptyRows"); // day rows without any day, counted from the bottom
        QTest::newRow("February 2009, 1st a Sunday") << 2009 << 2 << -5 << GridCell{6, 1} << GridCell{5, 5} << 1;
        QTest::newRow("June 2009, 1st a Monday") << 2009 << 6 << 1 << GridCell{0, 1} << GridCell{1, 5} << 1;
        QTest::newRow("March 2009 needs row 6") << 2009 << 3 << -5 << GridCell{6, 1} << GridCell{1, 6} << 0;
        QTest::newRow("February 2010 fills four rows") << 2010 << 2 << 1 << GridCell{0, 1} << GridCell{6, 4} << 2;
        QTest::newRow("leap February 2008") << 2008 << 2 << -3 << GridCell{4, 1} << GridCell{4, 5} << 1;
    }
    void monthLayoutsWithMondayFirst()
    {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, offset);
        QFETCH(GridCell, firstDay);
        QFETCH(GridCell, lastDay);
        QFETCH(int, emptyRows);
        const MonthGrid grid = MonthGrid::of(year, month, 1);
        QCOMPARE(grid.firstCellOffset(), offset);
        QCOMPARE(grid.cellOfDay(1), firstDay);
        QCOMPARE(grid.cellOfDay(grid.monthLength()), lastDay);
        QCOMPARE(grid.dayCaption(firstDay), QString("1"));
        QCOMPARE(grid.dayCaption(lastDay), QString::number(grid.monthLength()));
        for (int row = LastDayRow; row > LastDayRow - emptyRows; --row)
            for (int col = 0; col < GridColumns; ++col) QVERIFY(grid.dayCaption({col, row}).isEmpty());
        if (firstDay.col > 0) QVERIFY(grid.dayCaption({firstDay.col - 1, 1}).isEmpty());
    }

    void firstCellOffsetForEveryWeekdayAndStart()
    {
        for (int start = 0; start < 7; ++start) {
            for (int weekday = 1; weekday <= 7; ++weekday) {
                const int offset = MonthGrid::firstCellOffsetOf(weekday, start);
                QVERIFY(offset >= -5 && offset <= 1);
                // Column 0 of row 1 is day `offset`; its weekday must be the start of the week.
                const int weekdayOfCol0 = ((weekday - 1 + offset - 1) % 7 + 7) % 7; // Sunday = 0
                QCOMPARE(weekdayOfCol0, start);
            }
        }
    }

    void everyDayMapsToACellAndBack()
    {
        for (int start = 0; start < 7; ++start) {
            for (int year : {1, 1900, 2009, 2010, 9999}) {
                for (int month = 1; month <= 12; ++month) {
                    const MonthGrid grid = MonthGrid::of(year, month, start);
                    int shown = 0;
                    for (int row = FirstDayRow; row <= LastDayRow; ++row)
                        for (int col = 0; col < GridColumns; ++col) shown += grid.holdsDay({col, row});
                    QCOMPARE(shown, grid.monthLength());
                    for (int day = 1; day <= grid.monthLength(); ++day) {
                        const GridCell cell = grid.cellOfDay(day);
                        QVERIFY(cell.isDayRow());
                        QCOMPARE(grid.dayNumberAt(cell), day);
                        // The column is the weekday counted from the start of the week.
                        const int weekday = dayOfWeek(encodeDate(year, month, day)) - 1;
                        QCOMPARE(cell.col, (weekday - start + 7) % 7);
                    }
                }
            }
        }
    }

    void captionsOutsideTheGridAreEmpty()
    {
        const MonthGrid grid = MonthGrid::of(2009, 6, 1);
        QVERIFY(grid.dayCaption({-1, 1}).isEmpty());
        QVERIFY(grid.dayCaption({7, 1}).isEmpty());
        QVERIFY(grid.dayCaption({0, 7}).isEmpty());
        QVERIFY(grid.dayCaption({0, 0}).isEmpty());
        QVERIFY(MonthGrid::headerCaption(-1, 1, English).isEmpty());
        QVERIFY(MonthGrid::headerCaption(7, 1, English).isEmpty());
    }

    void headerNamesFollowTheStartOfWeek_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("Sunday first") << 0 << QStringList{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
        QTest::newRow("Monday first") << 1 << QStringList{"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
        QTest::newRow("Saturday first") << 6 << QStringList{"Sat", "Sun", "Mon", "Tue", "Wed", "Thu", "Fri"};
    }
    void headerNamesFollowTheStartOfWeek()
    {
        QFETCH(int, start);
        QFETCH(QStringList, names);
        QStringList shown;
        for (int col = 0; col < GridColumns; ++col) shown << MonthGrid::headerCaption(col, start, English);
        QCOMPARE(shown, names);
    }

    void monthStepsCrossYearsAndClampTheDay_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::addColumn<int>("delta");
        QTest::addColumn<int>("toYear");
        QTest::addColumn<int>("toMonth");
        QTest::addColumn<int>("toDay");
        QTest::newRow("31 Jan 2009 forward") << 2009 << 1 << 31 << 1 << 2009 << 2 << 28;
        QTest::newRow("31 Jan 2008 forward") << 2008 << 1 << 31 << 1 << 2008 << 2 << 29;
        QTest::newRow("31 Mar 2009 back") << 2009 << 3 << 31 << -1 << 2009 << 2 << 28;
        QTest::newRow("15 Dec 2008 forward") << 2008 << 12 << 15 << 1 << 2009 << 1 << 15;
        QTest::newRow("10 Jan 2009 back") << 2009 << 1 << 10 << -1 << 2008 << 12 << 10;
        QTest::newRow("31 May back to April") << 2009 << 5 << 31 << -1 << 2009 << 4 << 30;
        QTest::newRow("30 Apr forward keeps 30") << 2009 << 4 << 30 << 1 << 2009 << 5 << 30;
        QTest::newRow("December 9999 leaves the range") << 9999 << 12 << 31 << 1 << 10000 << 1 << 31;
    }
    void monthStepsCrossYearsAndClampTheDay()
    {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, day);
        QFETCH(int, delta);
        QFETCH(int, toYear);
        QFETCH(int, toMonth);
        QFETCH(int, toDay);
        const YearMonth to = neighbourMonth({year, month}, delta);
        QCOMPARE(to, (YearMonth{toYear, toMonth}));
        QCOMPARE(clampDay(day, MonthLength(to.year, to.month)), toDay);
    }

    void monthStepBackFromJanuaryOfYearOneIsARangeError()
    {
        QCOMPARE(failureOf([] { neighbourMonth({1, 1}, -1); }), QString("Range check error"));
        QCOMPARE(neighbourMonth({1, 2}, -1), (YearMonth{1, 1}));
    }
};

QTEST_GUILESS_MAIN(TestMonthGrid)
#include "tst_monthgrid.moc"
