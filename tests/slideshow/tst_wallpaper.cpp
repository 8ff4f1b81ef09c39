// The slideshow window against a stand-in main window: fits, draws, menu, timer and states.

#include "core/error.h"
#include "pictures/pictureview.h"
#include "platform/dialogs.h"
#include "platform/random.h"
#include "slideshow/slidedraw.h"
#include "slideshow/wallpaper.h"

#include <QAction>
#include <QActionGroup>
#include <QLayout>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <random>

using namespace vistelle;

namespace {

// Four sets of twelve distinct small bitmaps, and a record of what the window asked for.
class FakeHost : public SlideshowHost {
public:
    FakeHost()
    {
        for (int set = 1; set <= 4; ++set) {
            for (int month = 1; month <= 12; ++month) {
                QImage image(16, 12, QImage::Format_RGB32);
                image.fill(QColor(set * 50, month * 20, 7));
                lists[set - 1] << Picture::fromImage(image);
            }
        }
        onDisplay = lists[0][2];
    }

    int currentSet() const override { return set; }
    int calendarMonth() const override { return month; }
    Picture pictureOnDisplay() const override { return onDisplay; }
    Picture setPicture(int s, int m) const override
    {
        const QList<Picture>& list = lists[s - 1];
        if (m - 1 >= list.size()) raise(fmt(QStringLiteral("List index out of bounds (%d)"), m - 1));
        return list[m - 1];
    }
    void loadSetIfNeeded(int s) override
    {
        loads << s;
        if (failing.contains(s)) raise(fmt(QStringLiteral("Cannot open file %s"), QStringLiteral("graphics%1.dat").arg(s)));
    }
    void slideshowHidden() override
    {
        ++hiddenCount;
        if (mainWindow) mainWindow->activateWindow();
    }

    // The set and month of a picture, or {0, 0} when it is none of the sets'.
    Slide whichIs(const Picture& picture) const
    {
        for (int s = 1; s <= 4; ++s) {
            for (int m = 1; m <= lists[s - 1].size(); ++m) {
                if (lists[s - 1][m - 1].sharesGraphicWith(picture)) return {s, m};
            }
        }
        return {0, 0};
    }

    int set = 1;
    int month = 3;
    std::array<QList<Picture>, 4> lists;
    Picture onDisplay;
    QList<int> loads;
    QList<int> failing;
    int hiddenCount = 0;
    QWidget* mainWindow = nullptr; // takes the activation back, as the main window does
};

// Answers from a queue first, then from a fixed-seed generator; counts the seedings.
class FixedRandom : public RandomSource {
public:
    void seedFromClock() override { ++seeds; }
    int below(int n) override
    {
        asked << n;
        if (!queue.isEmpty()) {
            const int value = queue.takeFirst();
            Q_ASSERT(value >= 0 && value < n);
            return value;
        }
        return std::uniform_int_distribution<int>(0, n - 1)(engine);
    }

    QList<int> queue;
    QList<int> asked;
    int seeds = 0;
    std::mt19937 engine{20090304};
};

QImage quadrants(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    QPainter p(&img);
    p.fillRect(0, 0, w / 2, h / 2, Qt::red);
    p.fillRect(w / 2, 0, w - w / 2, h / 2, Qt::green);
    p.fillRect(0, h / 2, w / 2, h - h / 2, Qt::blue);
    p.fillRect(w / 2, h / 2, w - w / 2, h - h / 2, Qt::white);
    return img;
}

// Pearson's statistic of observed counts against equal expectation.
double chiSquare(const QList<int>& counts)
{
    double total = 0;
    for (int c : counts) total += c;
    const double expected = total / counts.size();
    double sum = 0;
    for (int c : counts) sum += (c - expected) * (c - expected) / expected;
    return sum;
}

QStringList menuLayout(const QMenu* menu)
{
    QStringList names;
    for (const QAction* a : menu->actions()) names << (a->isSeparator() ? QStringLiteral("|") : a->objectName());
    return names;
}

} // namespace

class TestWallpaper : public QObject {
    Q_OBJECT

    FakeHost host;
    FixedRandom random;
    ScriptedDialogs boxes;
    std::unique_ptr<TWallpaper> window;

    Slide shown() const { return host.whichIs(window->wpImage->picture()); }

private slots:
    void init()
    {
        host = FakeHost();
        random = FixedRandom();
        boxes = ScriptedDialogs();
        setRandomSource(&random);
        setDialogs(&boxes);
        window = std::make_unique<TWallpaper>(host);
    }

    void cleanup()
    {
        window.reset();
        setDialogs(nullptr);
        setRandomSource(nullptr);
    }

    // --- the window ---

    void windowIsBorderlessBlackFullScreenWithHandPointer()
    {
        QCOMPARE(window->windowTitle(), QString("Wallpaper"));
        QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(window->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(window->wpImage->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(window->wpImage->objectName(), QString("wpImage"));
        QCOMPARE(window->wpImage->toolTip(),
                 QString("Left click to return to calendar\r\nRight click for slideshow settings"));
        QCOMPARE(window->wpImage->backgroundColor(), QColor(Qt::black));
        QVERIFY(!window->isVisible());
        QCOMPARE(window->SlidesTimer->interval(), 5000);
        QVERIFY(!window->SlidesTimer->isActive());

        window->showSlideshow();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QVERIFY(window->isFullScreen());
        QCOMPARE(window->geometry(), window->screen()->geometry());
        QCOMPARE(window->wpImage->geometry(), window->rect());
    }

    void fitRectanglesOnTheWindow_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<bool>("stretched");
        QTest::addColumn<QRect>("expected");
        // Wide: width 1920 gives height 1440 > 1080, so height 1080, width trunc(1080·1024/768).
        QTest::newRow("4:3 proportional") << QSize(1024, 768) << false << QRect(240, 0, 1440, 1080);
        // Wide and flat: width 1920, height trunc(1920·300/1000) = 576, centred.
        QTest::newRow("wide proportional") << QSize(1000, 300) << false << QRect(0, 252, 1920, 576);
        // Tall: height first, width trunc(1080·200/700) = 308.
        QTest::newRow("tall proportional") << QSize(200, 700) << false << QRect(806, 0, 308, 1080);
        QTest::newRow("small enlarged") << QSize(16, 9) << false << QRect(0, 0, 1920, 1080);
        QTest::newRow("4:3 stretched") << QSize(1024, 768) << true << QRect(0, 0, 1920, 1080);
    }

    void fitRectanglesOnTheWindow()
    {
        QFETCH(QSize, picture);
        QFETCH(bool, stretched);
        QFETCH(QRect, expected);
        window->setWindowState(Qt::WindowNoState);
        window->resize(1920, 1080);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        if (stretched) window->itemStretched->trigger();
        window->wpImage->setPicture(Picture::fromImage(quadrants(picture.width(), picture.height())));
        QCOMPARE(window->wpImage->size(), QSize(1920, 1080));
        QCOMPARE(window->wpImage->pictureRect(), expected);
        QCOMPARE(pictureTargetRect(picture, window->wpImage->size(),
                                   stretched ? FitMode::Stretched : FitMode::Proportional),
                 expected);

        const QImage shot = window->grab().toImage();
        if (expected.left() > 0) QCOMPARE(QColor(shot.pixel(expected.left() - 1, 540)), QColor(Qt::black));
        if (expected.top() > 0) QCOMPARE(QColor(shot.pixel(960, expected.top() - 1)), QColor(Qt::black));
        QCOMPARE(QColor(shot.pixel(expected.left() + 4, expected.top() + 4)), QColor(Qt::red));
        QCOMPARE(QColor(shot.pixel(expected.right() - 4, expected.bottom() - 4)), QColor(Qt::white));
    }

    void switchingFitModesTakesEffectAtOnce()
    {
        window->wpImage->setPicture(Picture::fromImage(quadrants(40, 30)));
        window->itemStretched->trigger();
        QCOMPARE(window->wpImage->fitMode(), FitMode::Stretched);
        QVERIFY(window->itemStretched->isChecked());
        QVERIFY(!window->itemProportional->isChecked());
        window->itemProportionalClick();
        QCOMPARE(window->wpImage->fitMode(), FitMode::Proportional);
        QVERIFY(!window->itemStretched->isChecked());
    }

    // --- the menu ---

    void menuHoldsItsItemsInOrderWithInitialMarks()
    {
        QCOMPARE(window->ConfigMenu->objectName(), QString("ConfigMenu"));
        QCOMPARE(menuLayout(window->ConfigMenu),
                 QStringList({"itemRun", "itemStop", "|", "itemProportional", "itemStretched", "|",
                              "item05seconds", "item10seconds", "|", "item30seconds", "item60seconds", "|",
                              "AddSet1", "AddSet2", "|", "AddSet3", "AddSet4"}));
        const QStringList captions{"Run", "Stop", "Proportional", "Stretched", "05 seconds", "10 seconds",
                                   "30 seconds", "60 seconds", "Add Set 1", "Add Set 2", "Add Set 3", "Add Set 4"};
        const QStringList names{"itemRun", "itemStop", "itemProportional", "itemStretched", "item05seconds",
                                "item10seconds", "item30seconds", "item60seconds", "AddSet1", "AddSet2", "AddSet3",
                                "AddSet4"};
        const QStringList markedAtStart{"itemRun", "itemProportional", "item05seconds"};
        for (int i = 0; i < names.size(); ++i) {
            QAction* item = window->menuItem(names[i]);
            QVERIFY2(item, qPrintable(names[i]));
            QCOMPARE(item->text(), captions[i]);
            QVERIFY(item->isCheckable());
            QCOMPARE(item->isChecked(), markedAtStart.contains(names[i]));
            QVERIFY(item->isVisible());
        }
        QVERIFY(window->itemRun->actionGroup()->isExclusive());
        QCOMPARE(window->itemRun->actionGroup(), window->itemStop->actionGroup());
        QCOMPARE(window->itemProportional->actionGroup(), window->itemStretched->actionGroup());
        QCOMPARE(window->item05seconds->actionGroup(), window->item60seconds->actionGroup());
        QVERIFY(window->itemRun->actionGroup() != window->itemProportional->actionGroup());
        for (QAction* item : {window->AddSet1, window->AddSet2, window->AddSet3, window->AddSet4})
            QVERIFY(!item->actionGroup());
    }

    void radioGroupsExcludeEachOther()
    {
        window->item30seconds->trigger();
        QVERIFY(window->item30seconds->isChecked());
        for (QAction* other : {window->item05seconds, window->item10seconds, window->item60seconds})
            QVERIFY(!other->isChecked());
        window->itemStop->trigger();
        QVERIFY(window->itemStop->isChecked() && !window->itemRun->isChecked());
        QVERIFY(window->itemProportional->isChecked()); // other groups untouched
    }

    void currentSetItemIsDisabledAndUnmarkedAtEveryActivation()
    {
        host.set = 2;
        window->FormActivate();
        QVERIFY(!window->AddSet2->isEnabled());
        QVERIFY(window->AddSet1->isEnabled() && window->AddSet3->isEnabled() && window->AddSet4->isEnabled());

        window->AddSet3->trigger();
        window->AddSet1->trigger();
        QVERIFY(window->AddSet3->isChecked() && window->AddSet1->isChecked());

        // The main window moves from set 2 to set 3; the slideshow is activated again.
        host.set = 3;
        window->FormActivate();
        QVERIFY(!window->AddSet3->isEnabled());
        QVERIFY(!window->AddSet3->isChecked());
        QVERIFY(window->AddSet2->isEnabled());
        QVERIFY(!window->AddSet2->isChecked());
        QVERIFY(window->AddSet1->isChecked()); // other marks are kept
        QCOMPARE(window->AddSetItems, (std::array<QAction*, 4>{window->AddSet1, window->AddSet2,
                                                                 window->AddSet3, window->AddSet4}));
    }

    void activationStartsFromTheMainWindowsPicture()
    {
        host.set = 2;
        host.month = 7;
        host.onDisplay = host.lists[1][6];
        window->LastSlideMonth = 1;
        window->LastSlideSet = 4;
        window->wpImage->setPicture(host.lists[3][0]);
        window->FormActivate();
        QCOMPARE(random.seeds, 1);
        QVERIFY(window->SlidesTimer->isActive());
        QCOMPARE(window->LastSlideMonth, 7);
        QCOMPARE(window->LastSlideSet, 2);
        QCOMPARE(shown(), (Slide{2, 7}));
    }

    void realActivationRunsFormActivateButTheMenuDoesNot()
    {
        window->showSlideshow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QCOMPARE(random.seeds, 1);
        QCOMPARE(shown(), (Slide{1, 3}));

        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(50, 50), window->wpImage->mapToGlobal(QPoint(50, 50)));
        QApplication::sendEvent(window->wpImage, &rightClick);
        QTRY_VERIFY(window->ConfigMenu->isVisible());
        QVERIFY(window->isVisible()); // a right click does not hide
        window->ConfigMenu->close();
        QTRY_VERIFY(!window->ConfigMenu->isVisible());
        QCoreApplication::processEvents();
        QCOMPARE(random.seeds, 1);
        QCOMPARE(host.hiddenCount, 0);
    }

    // --- the draws ---

    void firstTickNeverShowsTheStartingPicture()
    {
        window->FormActivate(); // set 1, month 3
        random.queue = {2, 0, 2, 2, 6}; // month 3 of set 1, then 3 twice more, then 7
        window->SlidesTimerTimer();
        QCOMPARE(shown(), (Slide{1, 7}));
        QCOMPARE(random.asked, (QList<int>{12, 1, 12, 12, 12}));
        QCOMPARE(window->LastSlideMonth, 7);
        QCOMPARE(window->LastSlideSet, 1);
    }

    void sameMonthMayFollowFromAnotherSet()
    {
        window->AddSet2->trigger();
        window->FormActivate();
        random.queue = {2, 1}; // month 3, second candidate
        window->SlidesTimerTimer();
        QCOMPARE(window->SlideCandidates, (QList<int>{1, 2}));
        QCOMPARE(shown(), (Slide{2, 3}));
        QCOMPARE(random.asked.size(), 2);
    }

    void neverTheSamePictureTwiceInARow()
    {
        window->AddSet4->trigger();
        window->FormActivate();
        Slide last{1, 3};
        QSet<int> months;
        for (int tick = 0; tick < 3000; ++tick) {
            window->SlidesTimerTimer();
            const Slide now = shown();
            QVERIFY2(!(now == last), qPrintable(QString("tick %1").arg(tick)));
            QVERIFY(now.set == 1 || now.set == 4);
            QCOMPARE(window->LastSlideSet, now.set);
            QCOMPARE(window->LastSlideMonth, now.month);
            months.insert(now.month);
            last = now;
        }
        QCOMPARE(months.size(), 12);
    }

    void onlyTheCurrentSetWithoutAddedSets()
    {
        host.set = 3;
        window->FormActivate();
        int lastMonth = host.month;
        for (int tick = 0; tick < 500; ++tick) {
            window->SlidesTimerTimer();
            QCOMPARE(window->SlideCandidates, QList<int>{3});
            QCOMPARE(shown().set, 3);
            QVERIFY(shown().month != lastMonth);
            lastMonth = shown().month;
        }
    }

    void candidatesAreDrawnUniformly()
    {
        host.set = 2;
        window->AddSet1->trigger();
        window->AddSet4->trigger();
        window->FormActivate();
        QList<int> perSet(4, 0);
        QList<int> perMonth(12, 0);
        const int ticks = 6000;
        for (int tick = 0; tick < ticks; ++tick) {
            window->SlidesTimerTimer();
            QCOMPARE(window->SlideCandidates, (QList<int>{2, 1, 4}));
            ++perSet[shown().set - 1];
            ++perMonth[shown().month - 1];
        }
        QCOMPARE(perSet[2], 0);
        // 2 and 11 degrees of freedom at p = 0.001: 13.8 and 31.3.
        const double setStat = chiSquare({perSet[0], perSet[1], perSet[3]});
        QVERIFY2(setStat < 13.8, qPrintable(QString::number(setStat)));
        const double monthStat = chiSquare(perMonth);
        QVERIFY2(monthStat < 31.3, qPrintable(QString::number(monthStat)));
    }

    void candidateListFollowsTheMarksAtEachTick()
    {
        const std::array<bool, 4> none{}, oneAndFour{true, false, false, true}, all{true, true, true, true};
        QCOMPARE(slideCandidates(2, none), QList<int>{2});
        QCOMPARE(slideCandidates(2, oneAndFour), (QList<int>{2, 1, 4}));
        QCOMPARE(slideCandidates(1, all), (QList<int>{1, 1, 2, 3, 4}));

        window->FormActivate();
        window->SlidesTimerTimer();
        QCOMPARE(window->SlideCandidates, QList<int>{1});
        window->AddSet3->trigger();
        window->SlidesTimerTimer();
        QCOMPARE(window->SlideCandidates, (QList<int>{1, 3}));
    }

    void aFailingTickShowsOneBoxAndKeepsTheLastPicture()
    {
        host.lists[0].resize(5);
        window->FormActivate();
        window->SlidesTimer->setInterval(5);
        int ticksDuringBox = 0;
        boxes.onBox = [&](const QString&) {
            // Timer ticks go on while a box is open.
            random.queue = {10, 0};
            QTest::qWait(60);
            ticksDuringBox = random.queue.isEmpty() ? 1 : 0;
            window->SlidesTimer->stop();
        };
        random.queue = {8, 0}; // month 9 of a set that holds five pictures
        QTRY_VERIFY(!boxes.log.isEmpty());
        QCOMPARE(boxes.log, QStringList{"error: List index out of bounds (8)"});
        QCOMPARE(ticksDuringBox, 0);
        QCOMPARE(shown(), (Slide{1, 3}));
        QCOMPARE(window->LastSlideMonth, 3);
    }

    // --- timer and states ---

    void intervalChangeRestartsTheCountdown()
    {
        window->FormActivate();
        QVERIFY(window->SlidesTimer->isActive());
        QTest::qWait(300);
        window->item30seconds->trigger();
        QCOMPARE(window->SlidesTimer->interval(), 30000);
        QVERIFY(window->SlidesTimer->remainingTime() > 29800);

        QTest::qWait(300);
        window->item30seconds->trigger(); // the interval in force: nothing changes
        QVERIFY(window->SlidesTimer->remainingTime() <= 29750);

        window->item60secondsClick();
        QVERIFY(window->SlidesTimer->remainingTime() > 59800);
        QVERIFY(window->item60seconds->isChecked() && !window->item30seconds->isChecked());
    }

    void intervalChoiceWhileStoppedDoesNotStart()
    {
        window->FormActivate();
        window->itemStop->trigger();
        window->item10seconds->trigger();
        QVERIFY(!window->SlidesTimer->isActive());
        QCOMPARE(window->SlidesTimer->interval(), 10000);
        window->itemRun->trigger();
        QVERIFY(window->SlidesTimer->isActive());
        QCOMPARE(window->SlidesTimer->interval(), 10000);
    }

    void runOnARunningTimerKeepsItsCountdown()
    {
        window->FormActivate();
        QTest::qWait(300);
        window->itemRunClick();
        QVERIFY(window->SlidesTimer->remainingTime() <= 4750);
    }

    void hiddenRunningAndStoppedStates()
    {
        QWidget mainWindow;
        mainWindow.show();
        host.mainWindow = &mainWindow;
        QVERIFY(!window->isVisible());
        QVERIFY(!window->SlidesTimer->isActive());

        window->showSlideshow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QVERIFY(window->SlidesTimer->isActive()); // shown, running

        window->itemStop->trigger();
        QVERIFY(!window->SlidesTimer->isActive()); // shown, stopped
        QVERIFY(window->isVisible());

        QTest::mouseClick(window->wpImage, Qt::LeftButton, {}, QPoint(30, 30));
        QVERIFY(!window->isVisible()); // a left click while stopped hides
        QVERIFY(!window->SlidesTimer->isActive());
        QCOMPARE(host.hiddenCount, 1);

        QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
        window->showSlideshow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QCOMPARE(random.seeds, 2);
        QVERIFY(!window->SlidesTimer->isActive()); // "Stop" is still marked
        QVERIFY(window->itemStop->isChecked());

        window->itemRun->trigger();
        QVERIFY(window->SlidesTimer->isActive());
        QTest::mouseClick(window->wpImage, Qt::LeftButton, {}, QPoint(30, 30));
        QVERIFY(!window->isVisible());
        QVERIFY(!window->SlidesTimer->isActive());
        QCOMPARE(host.hiddenCount, 2);

        QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
        window->showSlideshow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QCOMPARE(random.seeds, 3);
        QVERIFY(window->SlidesTimer->isActive()); // runs again
        host.mainWindow = nullptr;
    }

    void aTickChangesThePictureWhileShown()
    {
        window->showSlideshow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        window->SlidesTimer->setInterval(20);
        window->SlidesTimer->start();
        random.queue = {4, 0};
        QTRY_COMPARE(shown(), (Slide{1, 5}));
        window->wpImageClick();
    }

    // --- added sets ---

    void addSetLoadsSetsTwoToFourWhetherMarkedOrUnmarked()
    {
        for (QAction* item : {window->AddSet1, window->AddSet2, window->AddSet3, window->AddSet4}) item->trigger();
        QCOMPARE(host.loads, (QList<int>{2, 3, 4}));
        for (QAction* item : {window->AddSet1, window->AddSet2, window->AddSet3, window->AddSet4})
            QVERIFY(item->isChecked());
        for (QAction* item : {window->AddSet1, window->AddSet2, window->AddSet3, window->AddSet4}) item->trigger();
        QCOMPARE(host.loads, (QList<int>{2, 3, 4, 2, 3, 4}));
        for (QAction* item : {window->AddSet1, window->AddSet2, window->AddSet3, window->AddSet4})
            QVERIFY(!item->isChecked());
        QVERIFY(boxes.log.isEmpty());
    }

    void addSetHandlersToggleExactlyOnce()
    {
        window->AddSet1Click();
        QVERIFY(window->AddSet1->isChecked());
        window->AddSet3Click();
        QVERIFY(window->AddSet3->isChecked());
        window->AddSet3Click();
        QVERIFY(!window->AddSet3->isChecked());
        window->AddSet2Click();
        window->AddSet4Click();
        QVERIFY(window->AddSet2->isChecked() && window->AddSet4->isChecked());
        QCOMPARE(host.loads, (QList<int>{3, 3, 2, 4}));
    }

    void aFailingLoadShowsOneBoxAndTheMarkStaysToggled()
    {
        host.failing = {3};
        window->AddSet3->trigger();
        QCOMPARE(boxes.log, QStringList{"error: Cannot open file graphics3.dat."});
        QVERIFY(window->AddSet3->isChecked());
        window->AddSet3->trigger(); // the next choice tries the file again
        QCOMPARE(host.loads, (QList<int>{3, 3}));
        QCOMPARE(boxes.log.size(), 2);
        QVERIFY(!window->AddSet3->isChecked());
    }

    void theSlideshowIsActiveAgainAfterAnErrorBox()
    {
        QWidget mainWindow;
        mainWindow.show();
        window->showSlideshow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QCOMPARE(random.seeds, 1);
        host.failing = {2};
        // The box takes the activation, and the main window's after-box step claims it.
        boxes.onBox = [&](const QString&) {
            mainWindow.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
        };
        window->AddSet2->trigger();
        QCOMPARE(boxes.log.size(), 1);
        QTRY_VERIFY(window->isActiveWindow());
        QCOMPARE(random.seeds, 2); // returning to the window is an activation like any other
        QVERIFY(window->AddSet2->isChecked());
    }

    void disabledCurrentSetItemCannotBeChosen()
    {
        window->FormActivate(); // set 1
        window->AddSet1->trigger();
        QVERIFY(!window->AddSet1->isChecked());
        QVERIFY(host.loads.isEmpty());
    }
};

QTEST_MAIN(TestWallpaper)
#include "tst_wallpaper.moc"
