#include "calendar/qelcalendar.h"
#include "core/error.h"
#include "core/regional.h"
#include "platform/dialogs.h"

#include <QTest>
#include <QWheelEvent>

using namespace vistelle;

Q_DECLARE_METATYPE(vistelle::GridCell)

namespace {

TDateTime date(int y, int m, int d) { return encodeDate(y, m, d); }

// Records every event of a calendar with the date it saw at that moment.
struct EventLog {
    QStringList entries;
    explicit EventLog(TQelCalendar& cal)
    {
        auto recorder = [this](const char* what) {
            return [this, what](QObject* sender) {
                auto* c = qobject_cast<TQelCalendar*>(sender);
                entries << QString("%1 %2").arg(what, c ? dateToStr(c->SelectedDate()) : QString("?"));
            };
        };
        cal.OnClick = recorder("click");
        cal.OnChange = recorder("change");
        cal.OnDblClick = recorder("dblclick");
    }
};

// The error message an operation fails with, or "" when it succeeds.
QString failureOf(const std::function<void()>& f)
{
    try { f(); } catch (const Error& e) { return e.message(); }
    return {};
}

} // namespace

class TestQelCalendar : public QObject {
    Q_OBJECT

    std::unique_ptr<TQelCalendar> cal;
    ScriptedDialogs boxes;

    // A calendar of the main window's kind: Monday first, client area 292 × 170.
    void showCalendarOn(TDateTime selected)
    {
        cal = std::make_unique<TQelCalendar>();
        cal->SetStartOfWeek(1);
        const int frame = cal->frameWidth();
        cal->resize(292 + 2 * frame, 170 + 2 * frame);
        cal->show();
        QVERIFY(QTest::qWaitForWindowExposed(cal.get()));
        cal->activateWindow();
        cal->setFocus();
        cal->SetSelectedDate(selected);
    }
    QPoint centreOf(GridCell cell) const { return cal->cellRect(cell).center(); }
    void clickOn(GridCell cell) { QTest::mouseClick(cal.get(), Qt::LeftButton, {}, centreOf(cell)); }
    void wheel(int delta)
    {
        const QPoint pos = centreOf({3, 3});
        QWheelEvent event(pos, cal->mapToGlobal(pos), {}, {0, delta}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QApplication::sendEvent(cal.get(), &event);
    }
    GridCell cellOfSelectedDay() const
    {
        for (int row = FirstDayRow; row <= LastDayRow; ++row)
            for (int col = 0; col < GridColumns; ++col)
                if (cal->CellCaption(col, row) == QString::number(cal->Day())) return {col, row};
        return {-1, -1};
    }

private slots:
    void init()
    {
        setNowSource([] { return encodeDate(2009, 6, 15) + 0.4; });
        setRegional(RegionalSettings{});
        boxes.log.clear();
        setDialogs(&boxes);
    }
    void cleanup()
    {
        cal.reset();
        setDialogs(nullptr);
        setNowSource({});
    }

    // --- creation, settings and geometry ---

    void startsOnTodayWithTheDefaultSettings()
    {
        TQelCalendar c;
        QCOMPARE(c.SelectedDate(), date(2009, 6, 15)); // no time of day
        QVERIFY(c.UseCurrentDate());
        QCOMPARE(c.StartOfWeek(), 0);
        QVERIFY(!c.ReadOnly());
        QCOMPARE(c.GridLineWidth(), 1);
        QCOMPARE(c.focusPolicy(), Qt::StrongFocus);
        QCOMPARE(c.FirstCellOffset(), 0); // 1 June 2009 is a Monday: column 1 with Sunday first
        QCOMPARE(c.currentCell(), (GridCell{1, 3}));
        QVERIFY(!c.rebuilding());
    }

    void clientOf292By170GivesCellsOf40By23()
    {
        showCalendarOn(date(2009, 6, 15));
        QCOMPARE(cal->contentsRect().size(), QSize(292, 170));
        QCOMPARE(cal->defaultColWidth(), 40);
        QCOMPARE(cal->defaultRowHeight(), 23);
        const QPoint origin = cal->contentsRect().topLeft();
        QCOMPARE(cal->cellRect({0, 0}), QRect(origin, QSize(40, 23)));
        QCOMPARE(cal->cellRect({6, 6}).topLeft(), origin + QPoint(6 * 41, 6 * 24));
        cal->SetGridLineWidth(3);
        cal->resize(cal->size() + QSize(1, 1));
        QCOMPARE(cal->defaultColWidth(), (293 - 18) / 7);
        QCOMPARE(cal->defaultRowHeight(), (171 - 18) / 7);
    }

    void startOfWeekRelaysTheMonthWithoutNotification()
    {
        showCalendarOn(date(2009, 2, 1));
        EventLog log(*cal);
        QCOMPARE(cal->FirstCellOffset(), -5);
        cal->SetStartOfWeek(0);
        QCOMPARE(cal->FirstCellOffset(), 1);
        QCOMPARE(cal->currentCell(), (GridCell{0, 1}));
        QCOMPARE(failureOf([&] { cal->SetStartOfWeek(7); }), QString("Range check error"));
        QCOMPARE(failureOf([&] { cal->SetStartOfWeek(-1); }), QString("Range check error"));
        QCOMPARE(cal->StartOfWeek(), 0);
        QVERIFY(log.entries.isEmpty());
    }

    void headerNamesFollowStartOfWeekAndRegionalSettings()
    {
        showCalendarOn(date(2009, 6, 15));
        auto header = [&] {
            QStringList names;
            for (int col = 0; col < GridColumns; ++col) names << cal->CellCaption(col, 0);
            return names;
        };
        QCOMPARE(header(), (QStringList{"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"}));
        cal->SetStartOfWeek(0);
        QCOMPARE(header(), (QStringList{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"}));
        RegionalSettings german;
        german.shortDayNames = {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"};
        setRegional(german);
        QCOMPARE(header().first(), QString("So"));
    }

    void useCurrentDateGoesBackToTodayWithoutNotification()
    {
        showCalendarOn(date(2009, 6, 15));
        EventLog log(*cal);
        cal->SetSelectedDate(date(2010, 3, 3));
        QVERIFY(cal->UseCurrentDate()); // writing the date does not touch it
        cal->SetUseCurrentDate(true);
        QCOMPARE(cal->SelectedDate(), date(2010, 3, 3)); // unchanged value: nothing happens
        cal->SetDay(4);
        QVERIFY(!cal->UseCurrentDate());
        cal->SetUseCurrentDate(true);
        QCOMPARE(cal->SelectedDate(), date(2009, 6, 15));
        QCOMPARE(cal->currentCell(), cellOfSelectedDay());
        QCOMPARE(log.entries, (QStringList{"change 03/03/2010", "change 04/03/2010"}));
    }

    // --- layouts ---

    void monthLayoutsWithMondayFirst_data()
    {
        QTest::addColumn<TDateTime>("selected");
        QTest::addColumn<GridCell>("firstDay");
        QTest::addColumn<GridCell>("lastDay");
        QTest::addColumn<int>("firstEmptyRow");
        QTest::newRow("February 2009") << date(2009, 2, 1) << GridCell{6, 1} << GridCell{5, 5} << 6;
        QTest::newRow("June 2009") << date(2009, 6, 1) << GridCell{0, 1} << GridCell{1, 5} << 6;
        QTest::newRow("March 2009") << date(2009, 3, 31) << GridCell{6, 1} << GridCell{1, 6} << 7;
        QTest::newRow("February 2010") << date(2010, 2, 28) << GridCell{0, 1} << GridCell{6, 4} << 5;
    }
    void monthLayoutsWithMondayFirst()
    {
        QFETCH(TDateTime, selected);
        QFETCH(GridCell, firstDay);
        QFETCH(GridCell, lastDay);
        QFETCH(int, firstEmptyRow);
        showCalendarOn(selected);
        QCOMPARE(cal->CellCaption(firstDay.col, firstDay.row), QString("1"));
        QCOMPARE(cal->CellCaption(lastDay.col, lastDay.row), QString::number(cal->CurrentMonthLength()));
        if (firstDay.col > 0) QCOMPARE(cal->CellCaption(firstDay.col - 1, firstDay.row), QString());
        if (lastDay.col < 6) QCOMPARE(cal->CellCaption(lastDay.col + 1, lastDay.row), QString());
        for (int row = firstEmptyRow; row <= LastDayRow; ++row)
            for (int col = 0; col < GridColumns; ++col) QCOMPARE(cal->CellCaption(col, row), QString());
        QCOMPARE(cal->currentCell(), cellOfSelectedDay());
    }

    void everyDateOfTwoYearsSitsInItsCell()
    {
        showCalendarOn(date(2009, 1, 1));
        for (int start : {0, 1, 6}) {
            cal->SetStartOfWeek(start);
            for (TDateTime d = date(2008, 1, 1); d <= date(2009, 12, 31); d += 1) {
                cal->SetSelectedDate(d + 0.75);
                const GridCell cell = cal->currentCell();
                QVERIFY(cell.isDayRow());
                QCOMPARE(cal->CellCaption(cell.col, cell.row), QString::number(decodeDate(d).day));
                QCOMPARE((dayOfWeek(d) - 1 - start + 7) % 7, cell.col);
                QVERIFY(cal->FirstCellOffset() >= -5 && cal->FirstCellOffset() <= 1);
            }
        }
    }

    void captionsOutsideTheGridAreEmpty()
    {
        showCalendarOn(date(2009, 6, 15));
        QCOMPARE(cal->CellCaption(-1, 0), QString());
        QCOMPARE(cal->CellCaption(7, 0), QString());
        QCOMPARE(cal->CellCaption(-1, 3), QString());
        QCOMPARE(cal->CellCaption(0, 7), QString());
    }

    // --- assignments and steps ---

    void selectedDateWriteAlwaysNotifiesAndKeepsTheValue()
    {
        showCalendarOn(date(2009, 6, 15));
        EventLog log(*cal);
        cal->SetSelectedDate(date(2009, 6, 15));
        cal->SetSelectedDate(date(2009, 7, 4) + 0.25);
        QCOMPARE(cal->SelectedDate(), date(2009, 7, 4) + 0.25);
        QCOMPARE(cal->Day(), 4);
        QCOMPARE(cal->Month(), 7);
        QCOMPARE(cal->Year(), 2009);
        QCOMPARE(log.entries, (QStringList{"change 15/06/2009", "change 04/07/2009"}));
    }

    void datePartAssignments_data()
    {
        QTest::addColumn<TDateTime>("start");
        QTest::addColumn<int>("part");
        QTest::addColumn<int>("value");
        QTest::addColumn<TDateTime>("result");
        QTest::addColumn<QString>("failure");
        const TDateTime jan31 = date(2009, 1, 31), apr10 = date(2009, 4, 10);
        QTest::newRow("day accepted") << apr10 << 3 << 20 << date(2009, 4, 20) << "";
        QTest::newRow("month accepted") << apr10 << 2 << 12 << date(2009, 12, 10) << "";
        QTest::newRow("year accepted") << apr10 << 1 << 1 << date(1, 4, 10) << "";
        QTest::newRow("same day ignored") << apr10 << 3 << 10 << apr10 << "";
        QTest::newRow("same month ignored") << apr10 << 2 << 4 << apr10 << "";
        QTest::newRow("day 31 in April ignored") << apr10 << 3 << 31 << apr10 << "";
        QTest::newRow("day 0 ignored") << apr10 << 3 << 0 << apr10 << "";
        QTest::newRow("month 13 ignored") << apr10 << 2 << 13 << apr10 << "";
        QTest::newRow("month 0 ignored") << apr10 << 2 << 0 << apr10 << "";
        QTest::newRow("year 0 ignored") << apr10 << 1 << 0 << apr10 << "";
        QTest::newRow("negative year ignored") << apr10 << 1 << -2009 << apr10 << "";
        QTest::newRow("February from 31 January") << jan31 << 2 << 2 << jan31 << "Invalid argument to date encode";
        QTest::newRow("common year from 29 February")
            << date(2008, 2, 29) << 1 << 2009 << date(2008, 2, 29) << "Invalid argument to date encode";
        QTest::newRow("year 10000") << apr10 << 1 << 10000 << apr10 << "Invalid argument to date encode";
        QTest::newRow("year 65535") << apr10 << 1 << 65535 << apr10 << "Invalid argument to date encode";
        QTest::newRow("year 65536") << apr10 << 1 << 65536 << apr10 << "Range check error";
    }
    void datePartAssignments()
    {
        QFETCH(TDateTime, start);
        QFETCH(int, part);
        QFETCH(int, value);
        QFETCH(TDateTime, result);
        QFETCH(QString, failure);
        showCalendarOn(start);
        const GridCell cellBefore = cal->currentCell();
        const int offsetBefore = cal->FirstCellOffset();
        EventLog log(*cal);
        QCOMPARE(failureOf([&] { cal->SetDatePart(part, value); }), failure);
        QCOMPARE(cal->SelectedDate(), result);
        const bool changed = result != start;
        QCOMPARE(log.entries, changed ? QStringList{"change " + dateToStr(result)} : QStringList{});
        QCOMPARE(cal->UseCurrentDate(), !changed);
        QCOMPARE(cal->GetDatePart(part), changed ? value : cal->GetDatePart(part));
        if (!changed) {
            QCOMPARE(cal->currentCell(), cellBefore);
            QCOMPARE(cal->FirstCellOffset(), offsetBefore);
        }
        QCOMPARE(cal->currentCell(), cellOfSelectedDay());
        QVERIFY(!cal->rebuilding());
    }

    void monthSteps_data()
    {
        QTest::addColumn<TDateTime>("start");
        QTest::addColumn<int>("steps"); // positive: MonthForward, negative: MonthBack
        QTest::addColumn<QStringList>("changes");
        QTest::newRow("31 Jan 2009 to 28 Feb") << date(2009, 1, 31) << 1 << QStringList{"change 28/02/2009"};
        QTest::newRow("31 Jan 2008 to 29 Feb") << date(2008, 1, 31) << 1 << QStringList{"change 29/02/2008"};
        QTest::newRow("then 28 March, not 31")
            << date(2009, 1, 31) << 2 << QStringList{"change 28/02/2009", "change 28/03/2009"};
        QTest::newRow("then 29 March in a leap year")
            << date(2008, 1, 31) << 2 << QStringList{"change 29/02/2008", "change 29/03/2008"};
        QTest::newRow("31 Mar 2009 back to 28 Feb") << date(2009, 3, 31) << -1 << QStringList{"change 28/02/2009"};
        QTest::newRow("15 Dec 2008 to 15 Jan 2009") << date(2008, 12, 15) << 1 << QStringList{"change 15/01/2009"};
        QTest::newRow("15 Jan 2009 back to 15 Dec") << date(2009, 1, 15) << -1 << QStringList{"change 15/12/2008"};
    }
    void monthSteps()
    {
        QFETCH(TDateTime, start);
        QFETCH(int, steps);
        QFETCH(QStringList, changes);
        showCalendarOn(start);
        EventLog log(*cal);
        for (int i = 0; i < qAbs(steps); ++i) steps > 0 ? cal->MonthForward() : cal->MonthBack();
        QCOMPARE(log.entries, changes);
        QCOMPARE(cal->currentCell(), cellOfSelectedDay());
        QVERIFY(cal->UseCurrentDate()); // steps go through SelectedDate
    }

    void yearSteps_data()
    {
        QTest::addColumn<TDateTime>("start");
        QTest::addColumn<int>("delta");
        QTest::addColumn<QStringList>("changes");
        QTest::newRow("29 Feb 2008 forward notifies twice")
            << date(2008, 2, 29) << 1 << QStringList{"change 28/02/2008", "change 28/02/2009"};
        QTest::newRow("29 Feb 2008 back notifies twice")
            << date(2008, 2, 29) << -1 << QStringList{"change 28/02/2008", "change 28/02/2007"};
        QTest::newRow("28 Feb 2009 back stays on 28") << date(2009, 2, 28) << -1 << QStringList{"change 28/02/2008"};
        QTest::newRow("plain forward") << date(2009, 6, 15) << 1 << QStringList{"change 15/06/2010"};
        QTest::newRow("year 1 back does nothing") << date(1, 3, 5) << -1 << QStringList{};
    }
    void yearSteps()
    {
        QFETCH(TDateTime, start);
        QFETCH(int, delta);
        QFETCH(QStringList, changes);
        showCalendarOn(start);
        EventLog log(*cal);
        delta > 0 ? cal->YearForward() : cal->YearBack();
        QCOMPARE(log.entries, changes);
        QCOMPARE(cal->currentCell(), cellOfSelectedDay());
    }

    void stepsPastTheRangeFailWithNothingChanged_data()
    {
        QTest::addColumn<TDateTime>("start");
        QTest::addColumn<int>("operation"); // 0 MonthForward, 1 MonthBack, 2 YearForward
        QTest::addColumn<QString>("failure");
        QTest::newRow("month forward from December 9999") << date(9999, 12, 31) << 0 << "Invalid argument to date encode";
        QTest::newRow("month back from January 1") << date(1, 1, 20) << 1 << "Range check error";
        QTest::newRow("year forward from 9999") << date(9999, 5, 5) << 2 << "Invalid argument to date encode";
    }
    void stepsPastTheRangeFailWithNothingChanged()
    {
        QFETCH(TDateTime, start);
        QFETCH(int, operation);
        QFETCH(QString, failure);
        showCalendarOn(start);
        cal->SetUseCurrentDate(false);
        const GridCell cellBefore = cal->currentCell();
        EventLog log(*cal);
        const std::function<void()> ops[] = {[&] { cal->MonthForward(); }, [&] { cal->MonthBack(); },
                                             [&] { cal->YearForward(); }};
        QCOMPARE(failureOf(ops[operation]), failure);
        QCOMPARE(cal->SelectedDate(), start);
        QCOMPARE(cal->currentCell(), cellBefore);
        QVERIFY(!cal->UseCurrentDate());
        QVERIFY(log.entries.isEmpty());
        QVERIFY(!cal->rebuilding());
    }

    void selectedDateOutsideTheRangeIsRefused()
    {
        showCalendarOn(date(2009, 6, 15));
        EventLog log(*cal);
        for (TDateTime bad : {double(MaxDateDays) + 1.0, double(MinDateDays) - 1.0, qQNaN(), -qInf()})
            QCOMPARE(failureOf([&] { cal->SetSelectedDate(bad); }), QString("Invalid argument to date encode"));
        QCOMPARE(cal->SelectedDate(), date(2009, 6, 15));
        QVERIFY(log.entries.isEmpty());
        cal->SetSelectedDate(double(MaxDateDays) + 0.5); // 31 December 9999 at noon is a date
        QCOMPARE(cal->Year(), 9999);
    }

    // --- the mouse ---

    void clicks_data()
    {
        QTest::addColumn<GridCell>("cell");
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<TDateTime>("result");
        // June 2009 with Monday first: 15 June sits in (0, 3), 22 June in (0, 4).
        QTest::newRow("new day") << GridCell{0, 4} << QStringList{"click 15/06/2009", "change 22/06/2009"}
                                 << date(2009, 6, 22);
        QTest::newRow("current day") << GridCell{0, 3} << QStringList{"click 15/06/2009"} << date(2009, 6, 15);
        QTest::newRow("empty cell") << GridCell{6, 6} << QStringList{"click 15/06/2009"} << date(2009, 6, 15);
        QTest::newRow("header") << GridCell{2, 0} << QStringList{} << date(2009, 6, 15);
    }
    void clicks()
    {
        QFETCH(GridCell, cell);
        QFETCH(QStringList, events);
        QFETCH(TDateTime, result);
        showCalendarOn(date(2009, 6, 15));
        EventLog log(*cal);
        clickOn(cell);
        QCOMPARE(log.entries, events);
        QCOMPARE(cal->SelectedDate(), result);
        QCOMPARE(cal->currentCell(), cellOfSelectedDay());
    }

    void onClickSeesTheOldDateWhileTheCellAlreadyMoved()
    {
        showCalendarOn(date(2009, 6, 15));
        GridCell seen{-1, -1};
        cal->OnClick = [&](QObject*) { seen = cal->currentCell(); };
        clickOn({2, 2}); // 10 June
        QCOMPARE(seen, (GridCell{2, 2}));
        QCOMPARE(cal->Day(), 10);
    }

    void selectionFollowsThePointerOntoDayCellsOnly()
    {
        showCalendarOn(date(2009, 6, 15));
        EventLog log(*cal);
        QTest::mousePress(cal.get(), Qt::LeftButton, {}, centreOf({2, 2})); // 10 June
        QCOMPARE(cal->currentCell(), (GridCell{2, 2}));
        QTest::mouseMove(cal.get(), centreOf({4, 2}));                       // 12 June
        QTest::mouseMove(cal.get(), centreOf({4, 0}));                       // header: stays
        QTest::mouseMove(cal.get(), centreOf({6, 6}));                       // empty: stays
        QCOMPARE(cal->currentCell(), (GridCell{4, 2}));
        QVERIFY(log.entries.isEmpty());
        QTest::mouseRelease(cal.get(), Qt::LeftButton, {}, centreOf({6, 6}));
        QCOMPARE(log.entries, (QStringList{"click 15/06/2009", "change 12/06/2009"}));
    }

    void pressOnTheHeaderStartsNoSelection()
    {
        showCalendarOn(date(2009, 6, 15));
        EventLog log(*cal);
        QTest::mousePress(cal.get(), Qt::LeftButton, {}, centreOf({1, 0}));
        QTest::mouseMove(cal.get(), centreOf({1, 1}));
        QTest::mouseRelease(cal.get(), Qt::LeftButton, {}, centreOf({1, 1}));
        QVERIFY(log.entries.isEmpty());
        QCOMPARE(cal->Day(), 15);
    }

    void rightClickDoesNothing()
    {
        showCalendarOn(date(2009, 6, 15));
        EventLog log(*cal);
        QTest::mouseClick(cal.get(), Qt::RightButton, {}, centreOf({0, 4}));
        QVERIFY(log.entries.isEmpty());
    }

    void doubleClickFiresOnlyOnDblClick()
    {
        showCalendarOn(date(2009, 6, 15));
        EventLog log(*cal);
        // A double click as the window system delivers it: click, double-click press, release.
        clickOn({0, 4});
        QTest::mouseDClick(cal.get(), Qt::LeftButton, {}, centreOf({0, 4}));
        QTest::mouseRelease(cal.get(), Qt::LeftButton, {}, centreOf({0, 4}));
        QCOMPARE(log.entries, (QStringList{"click 15/06/2009", "change 22/06/2009", "dblclick 22/06/2009"}));
        log.entries.clear();
        QTest::mouseDClick(cal.get(), Qt::LeftButton, {}, centreOf({1, 4}));
        QTest::mouseRelease(cal.get(), Qt::LeftButton, {}, centreOf({1, 4}));
        QCOMPARE(log.entries, (QStringList{"dblclick 22/06/2009"}));
    }

    void readOnlyRefusesTheUserButNotAssignments()
    {
        showCalendarOn(date(2009, 6, 15));
        cal->SetReadOnly(true);
        EventLog log(*cal);
        clickOn({0, 4});
        QTest::keyClick(cal.get(), Qt::Key_Right);
        wheel(-120);
        QCOMPARE(log.entries, (QStringList{"click 15/06/2009", "click 15/06/2009", "click 15/06/2009"}));
        QCOMPARE(cal->currentCell(), (GridCell{0, 3}));
        log.entries.clear();
        cal->SetSelectedDate(date(2009, 6, 30));
        cal->SetDay(2);
        cal->MonthForward();
        QCOMPARE(log.entries, (QStringList{"change 30/06/2009", "change 02/06/2009", "change 02/07/2009"}));
        QCOMPARE(cal->currentCell(), cellOfSelectedDay());
    }

    // --- keys and wheel ---

    void keys_data()
    {
        QTest::addColumn<TDateTime>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<int>("day");
        // June 2009, Monday first: 1 June in (0, 1), 30 June in (1, 5).
        const TDateTime mon15 = date(2009, 6, 15), wed17 = date(2009, 6, 17);
        const QString click15 = "click 15/06/2009", click17 = "click 17/06/2009";
        const int none = Qt::NoModifier, ctrl = Qt::ControlModifier;
        QTest::newRow("right") << mon15 << int(Qt::Key_Right) << none << QStringList{click15, "change 16/06/2009"} << 16;
        QTest::newRow("down") << mon15 << int(Qt::Key_Down) << none << QStringList{click15, "change 22/06/2009"} << 22;
        QTest::newRow("up") << mon15 << int(Qt::Key_Up) << none << QStringList{click15, "change 08/06/2009"} << 8;
        QTest::newRow("left at column 0") << mon15 << int(Qt::Key_Left) << none << QStringList{} << 15;
        QTest::newRow("up at the first day row") << date(2009, 6, 3) << int(Qt::Key_Up) << none << QStringList{} << 3;
        QTest::newRow("down onto an empty cell")
            << date(2009, 6, 30) << int(Qt::Key_Down) << none << QStringList{"click 30/06/2009"} << 30;
        QTest::newRow("down at the last day row") << date(2009, 3, 30) << int(Qt::Key_Down) << none << QStringList{} << 30;
        QTest::newRow("home") << wed17 << int(Qt::Key_Home) << none << QStringList{click17, "change 15/06/2009"} << 15;
        QTest::newRow("end") << wed17 << int(Qt::Key_End) << none << QStringList{click17, "change 21/06/2009"} << 21;
        QTest::newRow("ctrl+home") << wed17 << int(Qt::Key_Home) << ctrl << QStringList{click17, "change 01/06/2009"} << 1;
        QTest::newRow("ctrl+end onto an empty cell") << wed17 << int(Qt::Key_End) << ctrl << QStringList{click17} << 17;
        QTest::newRow("page up") << wed17 << int(Qt::Key_PageUp) << none << QStringList{click17, "change 03/06/2009"} << 3;
        QTest::newRow("page down onto an empty cell") << wed17 << int(Qt::Key_PageDown) << none << QStringList{click17} << 17;
        QTest::newRow("page down in March 2009")
            << date(2009, 3, 9) << int(Qt::Key_PageDown) << none << QStringList{"click 09/03/2009", "change 30/03/2009"} << 30;
        QTest::newRow("left onto the empty start of February 2009")
            << date(2009, 2, 1) << int(Qt::Key_Left) << none << QStringList{"click 01/02/2009"} << 1;
    }
    void keys()
    {
        QFETCH(TDateTime, start);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QStringList, events);
        QFETCH(int, day);
        showCalendarOn(start);
        EventLog log(*cal);
        QTest::keyClick(cal.get(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(log.entries, events);
        QCOMPARE(cal->Day(), day);
        QCOMPARE(cal->currentCell(), cellOfSelectedDay());
    }

    void wheelStepsOneWeekWithinTheMonth()
    {
        showCalendarOn(date(2009, 6, 15));
        EventLog log(*cal);
        wheel(-120);
        QCOMPARE(cal->Day(), 22);
        wheel(-60); // half a notch: nothing yet
        QCOMPARE(cal->Day(), 22);
        wheel(-60);
        QCOMPARE(cal->Day(), 29);
        wheel(-120); // 6 July would lie in row 6: refused
        QCOMPARE(cal->Day(), 29);
        wheel(3 * 120);
        QCOMPARE(cal->Day(), 8);
        QCOMPARE(log.entries, (QStringList{"click 15/06/2009", "change 22/06/2009", "click 22/06/2009",
                                           "change 29/06/2009", "click 29/06/2009", "click 29/06/2009",
                                           "change 22/06/2009", "click 22/06/2009", "change 15/06/2009",
                                           "click 15/06/2009", "change 08/06/2009"}));
        log.entries.clear();
        cal->SetSelectedDate(date(2009, 6, 1));
        wheel(120); // already in the first day row
        QCOMPARE(log.entries, (QStringList{"change 01/06/2009"}));
    }

    // --- handlers that fail ---

    void failingOnClickLeavesTheDateAndTheGridAsTheyWere()
    {
        showCalendarOn(date(2009, 6, 15));
        cal->OnClick = [](QObject*) { raise("Handler failed"); };
        int changes = 0;
        cal->OnChange = [&](QObject*) { ++changes; };
        clickOn({0, 4});
        QTest::keyClick(cal.get(), Qt::Key_Right);
        wheel(-120);
        QCOMPARE(boxes.log, (QStringList{"error: Handler failed.", "error: Handler failed.", "error: Handler failed."}));
        QCOMPARE(changes, 0);
        QCOMPARE(cal->SelectedDate(), date(2009, 6, 15));
        QCOMPARE(cal->currentCell(), (GridCell{0, 3}));
        QVERIFY(!cal->rebuilding());
        cal->OnClick = nullptr;
        clickOn({0, 4});
        QCOMPARE(cal->Day(), 22);
        QCOMPARE(changes, 1);
    }

    void failingOnChangeReachesWhoeverMovedTheDate()
    {
        showCalendarOn(date(2009, 6, 15));
        cal->OnChange = [](QObject*) { raise("Store failed"); };
        QCOMPARE(failureOf([&] { cal->MonthForward(); }), QString("Store failed"));
        QCOMPARE(cal->SelectedDate(), date(2009, 7, 15));
        QCOMPARE(cal->currentCell(), cellOfSelectedDay());
        QVERIFY(!cal->rebuilding());
        // From 29 February the failing first notification ends the year step on 28 February.
        cal->OnChange = nullptr;
        cal->SetSelectedDate(date(2008, 2, 29));
        cal->OnChange = [](QObject*) { raise("Store failed"); };
        QCOMPARE(failureOf([&] { cal->YearForward(); }), QString("Store failed"));
        QCOMPARE(cal->SelectedDate(), date(2008, 2, 28));
        // A user click shows the error instead of letting it into the event loop.
        clickOn({2, 2}); // 6 February 2008
        QCOMPARE(boxes.log, (QStringList{"error: Store failed."}));
        QCOMPARE(cal->SelectedDate(), date(2008, 2, 6));
        QCOMPARE(cal->currentCell(), cellOfSelectedDay());
    }

    // --- drawing ---

    void drawsWithTheMainWindowSettings()
    {
        showCalendarOn(date(2009, 6, 15));
        const QColor infoTip = cal->palette().color(QPalette::ToolTipBase);
        cal->SetColor(infoTip);
        cal->SetFontColor(QColor(0, 0, 128));
        QFont font({"Trebuchet MS", "Open Sans", "DejaVu Sans"});
        font.setPixelSize(13);
        cal->setFont(font);
        cal->setToolTip("Click on a date to select");
        cal->setCursor(Qt::PointingHandCursor);
        cal->clearFocus();
        const QImage image = cal->grab().toImage();
        auto pixel = [&](GridCell cell, QPoint offset) { return image.pixelColor(cal->cellRect(cell).topLeft() + offset); };
        QCOMPARE(pixel({3, 3}, {2, 2}), infoTip);                                     // a day cell
        QCOMPARE(pixel({0, 3}, {2, 2}), cal->palette().color(QPalette::Highlight));   // 15 June
        QCOMPARE(pixel({3, 0}, {5, 5}), cal->palette().color(QPalette::Button));      // header
        QCOMPARE(pixel({3, 3}, {40, 5}), QColor(0xC0, 0xC0, 0xC0));                    // line after column 3
        QCOMPARE(pixel({3, 0}, {40, 5}), QColor(Qt::black));                          // header line
        // The caption of 17 June is drawn in navy (anti-aliased) inside its cell.
        const QRect r = cal->cellRect({2, 3});
        bool navy = false;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                navy |= c.red() < 60 && c.green() < 60 && c.blue() - c.red() > 60;
            }
        }
        QVERIFY(navy);
        cal->SetColor(QColor(0xC0, 0xC0, 0xC0));
        QCOMPARE(cal->grab().toImage().pixelColor(cal->cellRect({3, 3}).topLeft() + QPoint(40, 5)), QColor(0x80, 0x80, 0x80));
    }
};

QTEST_MAIN(TestQelCalendar)
#include "tst_qelcalendar.moc"
