// Days with an entry are drawn bold in the main window's calendar, and the marks follow
// every change of the table at once.

#include "app/repeatbutton.h"
#include "diary/exchange/datemerge.h"
#include "mainformfixture.h"

using namespace vistelle;
using namespace vistelle::testing;

class TestEntryMarks : public QObject {
    Q_OBJECT

    std::unique_ptr<MainFormFixture> fx;
    int paints = 0;

    QImage cellImage(TMainForm& f, int day)
    {
        const MonthGrid grid(f.Calendar->FirstCellOffset(), f.Calendar->CurrentMonthLength());
        return f.Calendar->grab(f.Calendar->cellRect(grid.cellOfDay(day))).toImage();
    }
    // Pixels of the caption: those that differ from the cell's background.
    static int ink(const QImage& cell)
    {
        const QRgb background = cell.pixel(1, 1);
        int n = 0;
        for (int y = 0; y < cell.height(); ++y)
            for (int x = 0; x < cell.width(); ++x) n += cell.pixel(x, y) != background;
        return n;
    }
    static QList<int> markedDays(TMainForm& f)
    {
        QList<int> days;
        for (int d = 1; d <= f.Calendar->CurrentMonthLength(); ++d)
            if (f.Calendar->dayMarked(d)) days << d;
        return days;
    }
    bool eventFilter(QObject*, QEvent* e) override
    {
        paints += e->type() == QEvent::Paint;
        return false;
    }

private slots:
    void init() { fx = std::make_unique<MainFormFixture>(); }
    void cleanup() { fx.reset(); }

    void storeMarksTheDayAndDeleteUnmarksIt()
    {
        writeDiary({{encodeDate(2009, 3, 20), "spring"}});
        auto form = fx->start();
        QCOMPARE(markedDays(*form), QList<int>{20});
        MainFormFixture::clickDay(*form, 5);
        const QImage plain = cellImage(*form, 4);

        MainFormFixture::clickDay(*form, 4);
        MainFormFixture::type(*form, "dentist");
        form->Calendar->installEventFilter(this);
        QTest::qWait(20);
        paints = 0;
        form->btnSearchClick(); // an empty search only stores; the date stays, the mark repaints
        QTRY_VERIFY(paints > 0);
        QCOMPARE(markedDays(*form), (QList<int>{4, 20}));
        MainFormFixture::clickDay(*form, 5);
        const QImage bold = cellImage(*form, 4);
        QVERIFY2(ink(bold) > ink(plain), qPrintable(QStringLiteral("%1 %2").arg(ink(bold)).arg(ink(plain))));
        QCOMPARE(bold.pixel(1, 1), plain.pixel(1, 1));

        MainFormFixture::clickDay(*form, 4);
        form->Today->selectAll();
        QTest::keyClick(form->Today, Qt::Key_Delete);
        MainFormFixture::clickDay(*form, 5);
        QCOMPARE(markedDays(*form), QList<int>{20});
        QCOMPARE(cellImage(*form, 4), plain);
    }

    void newMonthShowsItsMarks()
    {
        writeDiary({{encodeDate(2009, 3, 31), "end of March"},
                    {encodeDate(2009, 4, 30), "end of April"},
                    {encodeDate(2009, 4, 1), "fool"},
                    {encodeDate(2009, 4, 15) + 0.5, "a time of day is no day's entry"},
                    {encodeDate(2009, 5, 1), "May"}});
        auto form = fx->start();
        QCOMPARE(markedDays(*form), QList<int>{31});
        QTest::mouseClick(form->btnNextMonth, Qt::LeftButton);
        QCOMPARE(form->Calendar->Month(), 4);
        QCOMPARE(markedDays(*form), (QList<int>{1, 30}));
    }

    void mergeFromDiskShowsItsDays()
    {
        writeDiary({{encodeDate(2009, 3, 20), "spring"}});
        auto form = fx->start();
        writeDiary({{encodeDate(2009, 3, 20), "spring"}, {encodeDate(2009, 3, 9), "written elsewhere"}});
        MainFormFixture::leaveAndReturn(*form); // the activation merges the file on disk
        QCOMPARE(markedDays(*form), (QList<int>{9, 20}));
    }

    void changesOutsideTheEditorAndTheSettingsRow()
    {
        auto form = fx->start();
        QCOMPARE(markedDays(*form), QList<int>{});
        // A merge changes the table directly; the marks read the new rows at the next paint.
        applyChanges(form->diary, {{encodeDate(2009, 3, 9), "merged"}, {encodeDate(2009, 3, 10), "too"}});
        QCOMPARE(markedDays(*form), (QList<int>{9, 10}));
        applyChanges(form->diary, {{encodeDate(2009, 3, 9), QByteArray()}});
        QCOMPARE(markedDays(*form), QList<int>{10});
        form->diary.AppendRecord({Variant::fromDateTime(settingsDateValue()), Variant(QByteArray("415x736y163z266j0k0"))});
        form->Calendar->SetSelectedDate(settingsDateValue());
        QCOMPARE(markedDays(*form), QList<int>{});
    }
};

QTEST_MAIN(TestEntryMarks)
#include "tst_entrymarks.moc"
