#include "calendar/qelcalendar.h"
#include "core/error.h"
#include "core/regional.h"
#include "platform/dialogs.h"

#include <QTest>
#include <QWheelEvent>

using namespace vistelle;

namespace {

TDateTime date(int y, int m, int d) { return encodeDate(y, m, d); }

struct Assignment { TDateTime start; int part, value; TDateTime result; QString failure; };
struct Input { TDateTime start; int key; Qt::KeyboardModifiers modifiers; QStringList events; int day; };

QString failureOf(const std::function<void()>& f)
{
    try { f(); } catch (const Error& e) { return e.message(); }
    return {};
}

} // namespace

Q_DECLARE_METATYPE(Assignment)
Q_DECLARE_METATYPE(Input)
Q_DECLARE_METATYPE(vistelle::GridCell)

class TestQelCalendar : public QObject {
    Q_OBJECT

    std::unique_ptr<TQelCalendar> cal;
    ScriptedDialogs boxes;
    QStringList events; // every event with the date the calendar held at that moment

    // A calendar as the main window has it: Monday first, client area 292 × 170.
    void showCalendarOn(TDateTime selected)
    {
        cal = std::make_unique<TQelCalendar>();
        cal->SetStartOfWeek(1);
        cal->resize(292 + 2 * cal->frameWidth(), 170 + 2 * cal->frameWidth());
        cal->show();
        QVERIFY(QTest::qWaitForWindowExposed(cal.get()));
        cal->setFocus();
        cal->SetSelectedDate(selected);
        auto recorder = [this](QString what) {
            return [this, what](QObject* sender) {
                events << what + ' ' + dateToStr(qobject_cast<TQelCalendar*>(sender)->SelectedDate());
            };
        };
        cal->OnClick = recorder("click");
        cal->OnChange = recorder("change");
        cal->OnDblClick = recorder("dblclick");
    }
    // The last pixel of a cell: a hit test that forgets the grid lines misses it.
    QPoint pointIn(GridCell cell) const { return cal->cellRect(cell).bottomRight(); }
    void clickOn(GridCell cell) { QTest::mouseClick(cal.get(), Qt::LeftButton, {}, pointIn(cell)); }
    void wheel(int delta)
    {
        QWheelEvent e(pointIn({3, 3}), {}, {}, {0, delta}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QApplication::sendEvent(cal.get(), &e);
    }
    // The grid's current cell must be the cell whose caption is the selected day.
    bool currentCellIsTheSelectedDay() const
    {
        const GridCell c = cal->currentCell();
        return c.isDayRow() && cal->CellCaption(c.col, c.row) == QString::number(cal->Day()) && !cal->rebuilding();
    }

private slots:
    void init()
    {
        setNowSource([] { return encodeDate(2009, 6, 15) + 0.4; });
        setRegional(RegionalSettings{});
        boxes.log.clear();
        events.clear();
        setDialogs(&boxes);
    }
    void cleanup()
    {
        cal.reset();
        setDialogs(nullptr);
        setNowSource({});
    }

    void startsOnTodayAndSettingsChangeWithoutNotification()
    {
        TQelCalendar fresh;
        QCOMPARE(fresh.SelectedDate(), date(2009, 6, 15)); // no time of day
        QVERIFY(fresh.UseCurrentDate() && !fresh.ReadOnly() && fresh.StartOfWeek() == 0);
        QCOMPARE(fresh.focusPolicy(), Qt::StrongFocus);
        QCOMPARE(fresh.CellCaption(0, 0), QString("Sun"));

        showCalendarOn(date(2009, 2, 1));
        QCOMPARE(cal->CellCaption(0, 0), QString("Mon"));
        QCOMPARE(cal->currentCell(), (GridCell{6, 1}));
        cal->SetStartOfWeek(0);
        QCOMPARE(cal->currentCell(), (GridCell{0, 1}));
        QCOMPARE(failureOf([&] { cal->SetStartOfWeek(7); }), QString("Range check error"));
        cal->SetDay(4);
        QVERIFY(!cal->UseCurrentDate());
        cal->SetUseCurrentDate(true);
        QCOMPARE(cal->SelectedDate(), date(2009, 6, 15));
        QVERIFY(currentCellIsTheSelectedDay());
        QCOMPARE(events, QStringList{"change 04/02/2009"});
    }

    void clientOf292By170GivesCellsOf40By23()
    {
        showCalendarOn(date(2009, 6, 15));
        QCOMPARE(QSize(cal->defaultColWidth(), cal->defaultRowHeight()), QSize(40, 23));
        QCOMPARE(cal->cellRect({6, 6}).topLeft() - cal->contentsRect().topLeft(), QPoint(6 * 41, 6 * 24));
    }

    void selectedDateWriteAlwaysNotifiesAndKeepsTheValue()
    {
        showCalendarOn(date(2009, 6, 15));
        cal->SetSelectedDate(date(2009, 6, 15));
        cal->SetSelectedDate(date(2009, 7, 4) + 0.25);
        QCOMPARE(cal->SelectedDate(), date(2009, 7, 4) + 0.25);
        QCOMPARE(events, (QStringList{"change 15/06/2009", "change 04/07/2009"}));
        for (TDateTime bad : {double(MaxDateDays) + 1.0, double(MinDateDays) - 1.0, qQNaN()})
            QCOMPARE(failureOf([&] { cal->SetSelectedDate(bad); }), QString("Invalid argument to date encode"));
        QCOMPARE(cal->Day(), 4);
        QCOMPARE(events.size(), 2);
    }

    void datePartAssignments_data()
    {
        QTest::addColumn<Assignment>("a");
        const TDateTime apr10 = date(2009, 4, 10);
        const QString bad = "Invalid argument to date encode";
        QTest::newRow("day") << Assignment{apr10, 3, 20, date(2009, 4, 20), ""};
        QTest::newRow("month") << Assignment{apr10, 2, 12, date(2009, 12, 10), ""};
        QTest::newRow("year") << Assignment{apr10, 1, 1, date(1, 4, 10), ""};
        QTest::newRow("same day ignored") << Assignment{apr10, 3, 10, apr10, ""};
        QTest::newRow("day 31 in April ignored") << Assignment{apr10, 3, 31, apr10, ""};
        QTest::newRow("month 13 ignored") << Assignment{apr10, 2, 13, apr10, ""};
        QTest::newRow("month 0 ignored") << Assignment{apr10, 2, 0, apr10, ""};
        QTest::newRow("year 0 ignored") << Assignment{apr10, 1, 0, apr10, ""};
        QTest::newRow("February on 31 January") << Assignment{date(2009, 1, 31), 2, 2, date(2009, 1, 31), bad};
        QTest::newRow("2009 on 29 February 2008") << Assignment{date(2008, 2, 29), 1, 2009, date(2008, 2, 29), bad};
        QTest::newRow("year 65535") << Assignment{apr10, 1, 65535, apr10, bad};
        QTest::newRow("year 65536") << Assignment{apr10, 1, 65536, apr10, "Range check error"};
    }
    void datePartAssignments()
    {
        QFETCH(Assignment, a);
        showCalendarOn(a.start);
        cal->SetUseCurrentDate(true);
        cal->SetSelectedDate(a.start);
        events.clear();
        const GridCell before = cal->currentCell();
        QCOMPARE(failureOf([&] { cal->SetDatePart(a.part, a.value); }), a.failure);
        QCOMPARE(cal->SelectedDate(), a.result);
        const bool changed = a.result != a.start;
        QCOMPARE(events, changed ? QStringList{"change " + dateToStr(a.result)} : QStringList{});
        QCOMPARE(cal->UseCurrentDate(), !changed);
        if (!changed) QCOMPARE(cal->currentCell(), before);
        QVERIFY(currentCellIsTheSelectedDay());
    }

    void monthAndYearStepsNotifyWithEachDate()
    {
        const auto steps = [this](TDateTime start, void (TQelCalendar::*step)(), int times = 1) {
            showCalendarOn(start);
            events.clear();
            for (int i = 0; i < times; ++i) (cal.get()->*step)();
            return events.join(", ") + (currentCellIsTheSelectedDay() ? "" : " (grid out of step)");
        };
        QCOMPARE(steps(date(2009, 1, 31), &TQelCalendar::MonthForward, 2), QString("change 28/02/2009, change 28/03/2009"));
        QCOMPARE(steps(date(2008, 1, 31), &TQelCalendar::MonthForward), QString("change 29/02/2008"));
        QCOMPARE(steps(date(2009, 3, 31), &TQelCalendar::MonthBack), QString("change 28/02/2009"));
        QCOMPARE(steps(date(2008, 12, 15), &TQelCalendar::MonthForward), QString("change 15/01/2009"));
        QCOMPARE(steps(date(2008, 2, 29), &TQelCalendar::YearForward), QString("change 28/02/2008, change 28/02/2009"));
        QCOMPARE(steps(date(2008, 2, 29), &TQelCalendar::YearBack), QString("change 28/02/2008, change 28/02/2007"));
        QCOMPARE(steps(date(2009, 2, 28), &TQelCalendar::YearBack), QString("change 28/02/2008"));
        QCOMPARE(steps(date(1, 3, 5), &TQelCalendar::YearBack), QString());
    }

    void stepsPastTheRangeFailWithNothingChanged()
    {
        const auto failure = [this](TDateTime start, void (TQelCalendar::*step)()) {
            showCalendarOn(start);
            cal->SetUseCurrentDate(false);
            events.clear();
            const GridCell before = cal->currentCell();
            const QString message = failureOf([&] { (cal.get()->*step)(); });
            const bool unchanged = cal->SelectedDate() == start && cal->currentCell() == before
                && !cal->UseCurrentDate() && events.isEmpty() && !cal->rebuilding();
            return unchanged ? message : "changed: " + message;
        };
        QCOMPARE(failure(date(9999, 12, 31), &TQelCalendar::MonthForward), QString("Invalid argument to date encode"));
        QCOMPARE(failure(date(1, 1, 20), &TQelCalendar::MonthBack), QString("Range check error"));
        QCOMPARE(failure(date(9999, 5, 5), &TQelCalendar::YearForward), QString("Invalid argument to date encode"));
    }

    void clicks_data()
    {
        QTest::addColumn<GridCell>("cell");
        QTest::addColumn<QStringList>("expected");
        // June 2009 with Monday first: 15 June sits in (0, 3), 22 June in (0, 4).
        QTest::newRow("new day") << GridCell{0, 4} << QStringList{"click 15/06/2009", "change 22/06/2009"};
        QTest::newRow("current day") << GridCell{0, 3} << QStringList{"click 15/06/2009"};
        QTest::newRow("empty cell") << GridCell{6, 6} << QStringList{"click 15/06/2009"};
        QTest::newRow("header") << GridCell{2, 0} << QStringList{};
    }
    void clicks()
    {
        QFETCH(GridCell, cell);
        QFETCH(QStringList, expected);
        showCalendarOn(date(2009, 6, 15));
        clickOn(cell);
        QTest::mouseClick(cal.get(), Qt::RightButton, {}, pointIn({1, 1}));
        QCOMPARE(events, expected);
        QVERIFY(currentCellIsTheSelectedDay());
    }

    void selectionFollowsThePointerOntoDayCellsOnly()
    {
        showCalendarOn(date(2009, 6, 15));
        QTest::mousePress(cal.get(), Qt::LeftButton, {}, pointIn({2, 2})); // 10 June
        QTest::mouseMove(cal.get(), pointIn({4, 2}));                       // 12 June
        QTest::mouseMove(cal.get(), pointIn({4, 0}));                       // header: stays
        QTest::mouseMove(cal.get(), pointIn({6, 6}));                       // empty: stays
        QCOMPARE(cal->currentCell(), (GridCell{4, 2}));
        QVERIFY(events.isEmpty());
        QTest::mouseRelease(cal.get(), Qt::LeftButton, {}, pointIn({6, 6}));
        QCOMPARE(events, (QStringList{"click 15/06/2009", "change 12/06/2009"}));
    }

    void doubleClickFiresOnlyOnDblClick()
    {
        showCalendarOn(date(2009, 6, 15));
        // As the window system delivers it: a click, then a double-click press and a release.
        clickOn({0, 4});
        QTest::mouseDClick(cal.get(), Qt::LeftButton, {}, pointIn({1, 4}));
        QTest::mouseRelease(cal.get(), Qt::LeftButton, {}, pointIn({1, 4}));
        QCOMPARE(events, (QStringList{"click 15/06/2009", "change 22/06/2009", "dblclick 22/06/2009"}));
    }

    void readOnlyRefusesTheUserButNotAssignments()
    {
        showCalendarOn(date(2009, 6, 15));
        cal->SetReadOnly(true);
        clickOn({0, 4});
        QTest::keyClick(cal.get(), Qt::Key_Right);
        wheel(-120);
        QCOMPARE(events, (QStringList{"click 15/06/2009", "click 15/06/2009", "click 15/06/2009"}));
        QCOMPARE(cal->currentCell(), (GridCell{0, 3}));
        cal->SetDay(2);
        cal->MonthForward();
        QCOMPARE(events.mid(3), (QStringList{"change 02/06/2009", "change 02/07/2009"}));
        QVERIFY(currentCellIsTheSelectedDay());
    }

    void keys_data()
    {
        QTest::addColumn<Input>("in");
        // June 2009, Monday first: 1 June in (0, 1), 30 June in (1, 5); March 2009 uses row 6.
        const TDateTime mon15 = date(2009, 6, 15), wed17 = date(2009, 6, 17);
        const QString c15 = "click 15/06/2009", c17 = "click 17/06/2009";
        const Qt::KeyboardModifiers none, ctrl = Qt::ControlModifier;
        QTest::newRow("right") << Input{mon15, Qt::Key_Right, none, {c15, "change 16/06/2009"}, 16};
        QTest::newRow("up") << Input{mon15, Qt::Key_Up, none, {c15, "change 08/06/2009"}, 8};
        QTest::newRow("left at column 0") << Input{mon15, Qt::Key_Left, none, {}, 15};
        QTest::newRow("up at row 1") << Input{date(2009, 6, 3), Qt::Key_Up, none, {}, 3};
        QTest::newRow("down at row 6") << Input{date(2009, 3, 30), Qt::Key_Down, none, {}, 30};
        QTest::newRow("down onto empty") << Input{date(2009, 6, 30), Qt::Key_Down, none, {"click 30/06/2009"}, 30};
        QTest::newRow("home") << Input{wed17, Qt::Key_Home, none, {c17, "change 15/06/2009"}, 15};
        QTest::newRow("end") << Input{wed17, Qt::Key_End, none, {c17, "change 21/06/2009"}, 21};
        QTest::newRow("ctrl+home") << Input{wed17, Qt::Key_Home, ctrl, {c17, "change 01/06/2009"}, 1};
        QTest::newRow("ctrl+end onto empty") << Input{wed17, Qt::Key_End, ctrl, {c17}, 17};
        QTest::newRow("page up") << Input{wed17, Qt::Key_PageUp, none, {c17, "change 03/06/2009"}, 3};
        QTest::newRow("page down onto empty") << Input{wed17, Qt::Key_PageDown, none, {c17}, 17};
        QTest::newRow("left onto empty") << Input{date(2009, 2, 1), Qt::Key_Left, none, {"click 01/02/2009"}, 1};
    }
    void keys()
    {
        QFETCH(Input, in);
        showCalendarOn(in.start);
        QTest::keyClick(cal.get(), Qt::Key(in.key), in.modifiers);
        QCOMPARE(events, in.events);
        QCOMPARE(cal->Day(), in.day);
        QVERIFY(currentCellIsTheSelectedDay());
    }

    void wheelStepsOneWeekWithinTheMonth()
    {
        showCalendarOn(date(2009, 6, 22));
        wheel(-60); // half a notch: nothing yet
        QVERIFY(events.isEmpty());
        wheel(-60);
        wheel(-120); // 6 July would lie in row 6: refused
        wheel(2 * 120);
        QCOMPARE(events, (QStringList{"click 22/06/2009", "change 29/06/2009", "click 29/06/2009", "click 29/06/2009",
                                      "change 22/06/2009", "click 22/06/2009", "change 15/06/2009"}));
        cal->SetSelectedDate(date(2009, 6, 1));
        wheel(120); // already in row 1
        QCOMPARE(events.size(), 8);
    }

    void failingOnClickLeavesDateAndGridAsTheyWere()
    {
        showCalendarOn(date(2009, 6, 15));
        cal->OnClick = [](QObject*) { raise("Handler failed"); };
        clickOn({0, 4});
        QTest::keyClick(cal.get(), Qt::Key_Right);
        QCOMPARE(boxes.log, (QStringList{"error: Handler failed.", "error: Handler failed."}));
        QVERIFY(events.isEmpty());
        QCOMPARE(cal->currentCell(), (GridCell{0, 3}));
        QVERIFY(currentCellIsTheSelectedDay());
        cal->OnClick = nullptr;
        clickOn({0, 4});
        QCOMPARE(events, QStringList{"change 22/06/2009"});
    }

    void failingOnChangeReachesWhoeverMovedTheDate()
    {
        showCalendarOn(date(2008, 2, 29));
        cal->OnChange = [](QObject*) { raise("Store failed"); };
        QCOMPARE(failureOf([&] { cal->YearForward(); }), QString("Store failed"));
        QCOMPARE(cal->SelectedDate(), date(2008, 2, 28)); // the first notification ended the step
        QVERIFY(currentCellIsTheSelectedDay());
        clickOn({2, 2}); // 6 February 2008: shown in the error box, not thrown into the event loop
        QCOMPARE(boxes.log, QStringList{"error: Store failed."});
        QCOMPARE(cal->Day(), 6);
        QVERIFY(currentCellIsTheSelectedDay());
    }

    void drawsWithTheMainWindowSettings()
    {
        showCalendarOn(date(2009, 6, 15));
        const QColor infoTip = cal->palette().color(QPalette::ToolTipBase);
        cal->SetColor(infoTip);
        cal->SetFontColor(QColor(0, 0, 128));
        QFont font({"Trebuchet MS", "Open Sans", "DejaVu Sans"});
        font.setPixelSize(13);
        cal->setFont(font);
        const QImage image = cal->grab().toImage();
        auto pixel = [&](GridCell cell, int dx, int dy) { return image.pixelColor(cal->cellRect(cell).topLeft() + QPoint(dx, dy)); };
        QCOMPARE(pixel({3, 3}, 2, 2), infoTip);
        QCOMPARE(pixel({0, 3}, 2, 2), cal->palette().color(QPalette::Highlight)); // 15 June
        QCOMPARE(pixel({3, 0}, 5, 5), cal->palette().color(QPalette::Button));
        QCOMPARE(pixel({3, 3}, 40, 5), QColor(0xC0, 0xC0, 0xC0));
        QCOMPARE(pixel({3, 0}, 40, 5), QColor(Qt::black));
        bool navy = false; // the anti-aliased caption of 17 June
        const QRect r = cal->cellRect({2, 3});
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                navy |= c.red() < 60 && c.green() < 60 && c.blue() - c.red() > 60;
            }
        QVERIFY(navy);
        cal->SetColor(QColor(0xC0, 0xC0, 0xC0));
        QCOMPARE(cal->grab().toImage().pixelColor(cal->cellRect({3, 3}).topLeft() + QPoint(40, 5)), QColor(0x80, 0x80, 0x80));
    }
};

QTEST_MAIN(TestQelCalendar)
#include "tst_qelcalendar.moc"
