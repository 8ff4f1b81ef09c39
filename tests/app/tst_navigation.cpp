// Date navigation and the week view on the real main window.

#include "app/clicklabel.h"
#include "app/repeatbutton.h"
#include "app/splitterpanel.h"
#include "mainformfixture.h"
#include "pictures/picture.h"
#include "pictures/pictureview.h"

#include <QPlainTextEdit>

using namespace vistelle;
using namespace vistelle::testing;

class TestNavigation : public QObject {
    Q_OBJECT

    std::unique_ptr<MainFormFixture> fx;

    static void press(QAbstractButton* b)
    {
        QTest::mousePress(b, Qt::LeftButton, {}, b->rect().center());
        QTest::mouseRelease(b, Qt::LeftButton, {}, b->rect().center());
    }
    static QString labels(TMainForm& f)
    {
        return f.monthLabel->text() + u'|' + f.weekLabel->text() + u'|' + f.yearLabel->text();
    }
    static QColor colourOf(QWidget* w, QPalette::ColorRole role) { return w->palette().color(role); }

private slots:
    void init() { fx = std::make_unique<MainFormFixture>(); }
    void cleanup() { fx.reset(); }

    void nextWeekAcrossTheYearEnd()
    {
        fx->now = encodeDate(2008, 12, 31);
        auto form = fx->start();
        QCOMPARE(labels(*form), QStringLiteral("December|Week 1|2008"));
        press(form->btnNextWeek);
        QCOMPARE(form->Calendar->SelectedDate(), encodeDate(2009, 1, 7));
        QCOMPARE(labels(*form), QStringLiteral("January|Week 2|2009"));
        press(form->btnPreviousWeek);
        QCOMPARE(form->Calendar->SelectedDate(), encodeDate(2008, 12, 31));
    }

    void monthStepsClampTheDay()
    {
        fx->now = encodeDate(2009, 1, 31);
        auto form = fx->start();
        press(form->btnNextMonth);
        QCOMPARE(form->Calendar->SelectedDate(), encodeDate(2009, 2, 28));
        QCOMPARE(form->monthLabel->text(), QStringLiteral("February"));
        press(form->btnPreviousMonth);
        QCOMPARE(form->Calendar->SelectedDate(), encodeDate(2009, 1, 28));
    }

    void nextYearFrom29FebruaryStoresOnTheWay()
    {
        fx->now = encodeDate(2008, 2, 29);
        auto form = fx->start();
        QList<TDateTime> seen;
        auto original = form->Calendar->OnChange;
        form->Calendar->OnChange = [&](QObject* s) { seen << form->Calendar->SelectedDate(); original(s); };
        MainFormFixture::type(*form, "leap day");
        press(form->btnNextYear);
        QCOMPARE(seen, (QList<TDateTime>{encodeDate(2008, 2, 28), encodeDate(2009, 2, 28)}));
        QCOMPARE(form->info(encodeDate(2008, 2, 29)), QStringLiteral("leap day"));
        QCOMPARE(form->Calendar->SelectedDate(), encodeDate(2009, 2, 28));
        QCOMPARE(form->yearLabel->text(), QStringLiteral("2009"));
        press(form->btnPreviousYear);
        QCOMPARE(form->Calendar->SelectedDate(), encodeDate(2008, 2, 28));
    }

    void sundayShowsTheWeekBeforeItInRed()
    {
        fx->now = encodeDate(2009, 3, 8); // a Sunday
        writeDiary({{encodeDate(2009, 3, 2), "monday's"}, {encodeDate(2009, 3, 8), "sunday's"}});
        auto form = fx->start();
        MainFormFixture::clickPicture(*form); // shows and refreshes the week
        QCOMPARE(TMainForm::day(encodeDate(2009, 3, 8)), 7);
        QCOMPARE(TMainForm::day(encodeDate(2009, 3, 2)), 1);
        QCOMPARE(form->dateLabels[0]->text(), QStringLiteral("02/03/2009"));
        QCOMPARE(form->dateLabels[6]->text(), QStringLiteral("08/03/2009"));
        QCOMPARE(form->memos[0]->toPlainText(), QStringLiteral("monday's"));
        QCOMPARE(form->memos[6]->toPlainText(), QStringLiteral("sunday's"));
        const QColor red(255, 0, 0), navy(0, 0, 128), purple(128, 0, 128);
        for (int i = 0; i < 7; ++i) {
            const bool selected = i == 6;
            QCOMPARE(colourOf(form->memos[size_t(i)], QPalette::Text), selected ? red : purple);
            QCOMPARE(colourOf(form->dayNameLabels[size_t(i)], QPalette::WindowText), selected ? red : navy);
            QCOMPARE(colourOf(form->dateLabels[size_t(i)], QPalette::WindowText), selected ? red : navy);
        }
    }

    // The last week of year 9999 ends two days beyond the last date.
    void theLastWeekShowsNoDaysBeyondTheLastDate()
    {
        fx->now = encodeDate(9999, 12, 27);
        writeDiary({{encodeDate(9999, 12, 31), "the last day"}});
        auto form = fx->start();
        MainFormFixture::clickPicture(*form);
        MainFormFixture::clickDay(*form, 31);
        QCOMPARE(fx->boxes.log, QStringList());
        QCOMPARE(form->dateLabels[0]->text(), QStringLiteral("27/12/9999"));
        QCOMPARE(form->dateLabels[4]->text(), QStringLiteral("31/12/9999"));
        QCOMPARE(form->memos[4]->toPlainText(), QStringLiteral("the last day"));
        for (size_t i : {5, 6}) {
            QCOMPARE(form->dateLabels[i]->text(), QString());
            QCOMPARE(form->memos[i]->toPlainText(), QString());
            QTest::mouseClick(form->dateLabels[i], Qt::LeftButton, {}, form->dateLabels[i]->rect().center());
        }
        QCOMPARE(form->info(encodeDate(9999, 12, 31) + 1), QString());
        QCOMPARE(fx->boxes.log, QStringList());
        QCOMPARE(form->Calendar->SelectedDate(), encodeDate(9999, 12, 31));
        QVERIFY(form->WeekPanel->isVisible());
    }

    void weekOneAtTheYearEnd()
    {
        fx->now = encodeDate(2008, 12, 29);
        auto form = fx->start();
        QCOMPARE(labels(*form), QStringLiteral("December|Week 1|2008"));
    }

    void pictureAndWeekViewSwitchAndDateLabelsSelect()
    {
        auto form = fx->start();
        QVERIFY(form->PicPanel->isVisible());
        QVERIFY(!form->WeekPanel->isVisible());
        MainFormFixture::clickPicture(*form);
        QVERIFY(!form->PicPanel->isVisible());
        QVERIFY(form->WeekPanel->isVisible());
        // The selected day's own date label still stores and reloads.
        MainFormFixture::type(*form, "via label");
        QTest::mouseClick(form->dateLabels[2], Qt::LeftButton, {}, form->dateLabels[2]->rect().center());
        QCOMPARE(form->info(encodeDate(2009, 3, 4)), QStringLiteral("via label"));
        QCOMPARE(form->memos[2]->toPlainText(), QStringLiteral("via label"));
        QVERIFY(form->WeekPanel->isVisible());
        QTest::mouseClick(form->dateLabels[6], Qt::LeftButton, {}, form->dateLabels[6]->rect().center());
        QCOMPARE(form->Calendar->SelectedDate(), encodeDate(2009, 3, 8));
        QVERIFY(form->WeekPanel->isVisible());
        QTest::mouseClick(form->dayNameLabels[1], Qt::LeftButton, {}, form->dayNameLabels[1]->rect().center());
        QVERIFY(form->PicPanel->isVisible());
        QVERIFY(!form->WeekPanel->isVisible());
    }

    void titleLabelsJumpToToday()
    {
        auto form = fx->start();
        press(form->btnNextMonth);
        press(form->btnNextMonth);
        QCOMPARE(form->monthLabel->text(), QStringLiteral("May"));
        QTest::mouseClick(form->weekLabel, Qt::LeftButton, {}, form->weekLabel->rect().center());
        QCOMPARE(form->Calendar->SelectedDate(), encodeDate(2009, 3, 4));
        QCOMPARE(form->monthLabel->text(), QStringLiteral("March"));
        // A right click is no click: no jump.
        press(form->btnNextWeek);
        QTest::mouseClick(form->yearLabel, Qt::RightButton, {}, form->yearLabel->rect().center());
        QCOMPARE(form->Calendar->SelectedDate(), encodeDate(2009, 3, 11));
    }

    void heldStepButtonRepeatsUntilReleased()
    {
        fx->now = encodeDate(2009, 1, 20);
        auto form = fx->start();
        RepeatButton* b = form->btnNextWeek;
        // After every step: the month and whether the picture changed.
        QList<std::pair<int, bool>> steps;
        auto step = b->onStep;
        b->onStep = [&] {
            const Picture before = form->Image->picture();
            const bool ok = step();
            steps << std::pair{form->Calendar->Month(), !form->Image->picture().sharesGraphicWith(before)};
            return ok;
        };
        QTest::mousePress(b, Qt::LeftButton, {}, b->rect().center());
        QCOMPARE(form->Calendar->SelectedDate(), encodeDate(2009, 1, 27)); // at once
        QTRY_VERIFY_WITH_TIMEOUT(form->Calendar->SelectedDate() >= encodeDate(2009, 2, 17), 5000);
        QTest::mouseRelease(b, Qt::LeftButton, {}, b->rect().center());
        const TDateTime atRelease = form->Calendar->SelectedDate();
        QTest::qWait(350);
        QCOMPARE(form->Calendar->SelectedDate(), atRelease);
        QVERIFY(!b->repeating());
        // The picture changed at each month boundary and only there.
        int month = 1;
        for (auto [m, changed] : steps) {
            QCOMPARE(changed, m != month);
            month = m;
        }
        QVERIFY(month >= 2);
    }

    void failingStepIsReportedOnceEvenWhileHeld()
    {
        fx->now = encodeDate(9999, 6, 1);
        auto form = fx->start();
        RepeatButton* b = form->btnNextYear;
        QTest::mousePress(b, Qt::LeftButton, {}, b->rect().center());
        QTest::qWait(700);
        QTest::mouseRelease(b, Qt::LeftButton, {}, b->rect().center());
        QCOMPARE(fx->boxes.log, QStringList("error: Invalid argument to date encode."));
        QCOMPARE(form->yearLabel->text(), QStringLiteral("9999"));
    }

    void weekViewThirdsFollowTheLeftPane()
    {
        auto form = fx->start();
        MainFormFixture::clickPicture(*form);
        form->WeekPanel->setBarPosition(0, 250);
        QCOMPARE(form->LeftPane->height(), 250);
        QTRY_COMPARE(form->dayPanels[2]->height(), 84);
        QCOMPARE(form->dayPanels[0]->height(), 83);
        QCOMPARE(form->dayPanels[4]->height(), 83);
        QCOMPARE(form->dayPanels[1]->height(), 83);
        QCOMPARE(form->dayPanels[5]->height(), 83);
        QCOMPARE(form->dayPanels[2]->height(), 84);
        QCOMPARE(form->dayPanels[3]->height(), 84);
    }
};

QTEST_MAIN(TestNavigation)
#include "tst_navigation.moc"
