// The calendar as a screen reader sees it: a table of the weekday headers and the day
// cells named with their dates, and the selected cell's states. (The events reach a
// handler only where the platform has an accessibility bridge: the e2e walk hears them.)

#include "calendar/qelcalendar.h"
#include "core/regional.h"

#include <QAccessible>
#include <QTest>

using namespace vistelle;


class TestCalendarAccessible : public QObject {
    Q_OBJECT

    std::unique_ptr<TQelCalendar> cal;

    QAccessibleTableInterface* table() const
    {
        return QAccessible::queryAccessibleInterface(cal.get())->tableInterface();
    }
    QAccessibleInterface* cell(int row, int column) const { return table()->cellAt(row, column); }

private slots:
    void initTestCase()
    {
        setRegional(RegionalSettings());
    }

    void init()
    {
        cal = std::make_unique<TQelCalendar>();
        cal->SetStartOfWeek(1);
        cal->resize(300, 180);
        cal->SetSelectedDate(encodeDate(2009, 3, 4)); // 1 March 2009 is a Sunday: column 6 of row 1
        cal->dayMarks = [](int, int month) { return month == 3 ? quint32(1u << 10) : 0u; };
        cal->show();
        QVERIFY(QTest::qWaitForWindowActive(cal.get()));
    }

    void cleanup() { cal.reset(); }

    void cellsAreNamedWithTheirDatesAndHeadersWithTheirDays()
    {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(cal.get());
        QCOMPARE(iface->role(), QAccessible::Table);
        QCOMPARE(iface->childCount(), 49);
        QCOMPARE(table()->rowCount(), 7);
        QCOMPARE(table()->columnCount(), 7);
        QCOMPARE(cell(0, 0)->role(), QAccessible::ColumnHeader);
        QCOMPARE(cell(0, 0)->text(QAccessible::Name), "Monday");
        QCOMPARE(cell(0, 6)->text(QAccessible::Name), "Sunday");
        QCOMPARE(cell(1, 6)->text(QAccessible::Name), "Sunday 1 March 2009");
        QCOMPARE(cell(6, 1)->text(QAccessible::Name), "Tuesday 31 March 2009");
        // The marked day has an entry; others say nothing.
        QCOMPARE(cell(2, 6)->text(QAccessible::Name), "Sunday 8 March 2009");
        QCOMPARE(cell(3, 1)->text(QAccessible::Description), "has an entry"); // 10 March
        QCOMPARE(cell(3, 2)->text(QAccessible::Description), QString());
        // Empty cells: no name, not selectable.
        QCOMPARE(cell(1, 0)->text(QAccessible::Name), QString());
        QVERIFY(!cell(1, 0)->state().selectable);
        QVERIFY(cell(1, 6)->state().selectable);
        QCOMPARE(cell(1, 6)->tableCellInterface()->columnHeaderCells(), QList<QAccessibleInterface*>{cell(0, 6)});
        QCOMPARE(iface->indexOfChild(cell(3, 1)), 22);
        // Asked twice, a cell is the same object, as screen readers expect.
        QCOMPARE(cell(3, 1), iface->child(22));
    }

    void theSelectedCellIsSelectedAndFocusedWithTheCalendar()
    {
        QAccessibleInterface* selected = cell(2, 2); // Wednesday 4 March
        QCOMPARE(selected->text(QAccessible::Name), "Wednesday 4 March 2009");
        QCOMPARE(table()->selectedCells(), QList<QAccessibleInterface*>{selected});
        QVERIFY(selected->state().selected);
        cal->clearFocus();
        QVERIFY(!selected->state().focused);
        cal->setFocus();
        QVERIFY(selected->state().focused);
        QCOMPARE(QAccessible::queryAccessibleInterface(cal.get())->focusChild(), selected);
    }

    void aKeyStepMovesTheSelection()
    {
        cal->setFocus();
        QTest::keyClick(cal.get(), Qt::Key_Right);
        QVERIFY(!cell(2, 2)->state().selected);
        QVERIFY(cell(2, 3)->state().selected && cell(2, 3)->state().focused);
        QCOMPARE(QAccessible::queryAccessibleInterface(cal.get())->focusChild()->text(QAccessible::Name),
                 "Thursday 5 March 2009");
    }

    void aMonthStepRenamesTheCells()
    {
        cal->MonthForward();
        QCOMPARE(cell(1, 5)->text(QAccessible::Name), "Saturday 4 April 2009");
        QVERIFY(cell(1, 5)->state().selected);
        QCOMPARE(cell(1, 2)->text(QAccessible::Name), "Wednesday 1 April 2009");
        QCOMPARE(cell(1, 1)->text(QAccessible::Name), QString());
    }

    void aReadOnlyCalendarHasNoSelectableCells()
    {
        cal->SetReadOnly(true);
        QVERIFY(!cell(1, 6)->state().selectable);
        QVERIFY(cell(2, 2)->state().selected);
    }
};

QTEST_MAIN(TestCalendarAccessible)
#include "tst_calendaraccessible.moc"
