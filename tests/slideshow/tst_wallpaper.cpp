// The slideshow window against a stand-in main window: fits, draws, menu, timer and states.

#include "core/error.h"
#include "pictures/pictureview.h"
#include "platform/dialogs.h"
#include "platform/random.h"
#include "slideshow/wallpaper.h"
#include "tests/pictures/fixtures.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <random>

using namespace vistelle;

namespace {

struct Shown {
    int set, month;
    bool operator==(const Shown&) const = default;
};

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
        if (m > lists[s - 1].size()) raise(fmt(QStringLiteral("List index out of bounds (%d)"), m - 1));
        return lists[s - 1][m - 1];
    }
    void loadSetIfNeeded(int s) override
    {
        loads << s;
        if (failing.contains(s)) raise(QStringLiteral("Cannot open file graphics%1.dat").arg(s));
    }
    void slideshowHidden() override
    {
        ++hiddenCount;
        if (mainWindow) mainWindow->activateWindow();
    }
    Shown whichIs(const Picture& picture) const
    {
        for (int s = 1; s <= 4; ++s)
            for (int m = 1; m <= lists[s - 1].size(); ++m)
                if (lists[s - 1][m - 1].sharesGraphicWith(picture)) return {s, m};
        return {0, 0};
    }

    int set = 1, month = 3;
    std::array<QList<Picture>, 4> lists;
    Picture onDisplay;
    QList<int> loads, failing;
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
        if (!queue.isEmpty()) return queue.takeFirst();
        return std::uniform_int_distribution<int>(0, n - 1)(engine);
    }
    QList<int> queue, asked;
    int seeds = 0;
    std::mt19937 engine{20090304};
};

double chiSquare(const QList<int>& counts) // against equal expectation
{
    double total = 0, sum = 0;
    for (int c : counts) total += c;
    const double expected = total / counts.size();
    for (int c : counts) sum += (c - expected) * (c - expected) / expected;
    return sum;
}

} // namespace

class TestWallpaper : public QObject {
    Q_OBJECT

    FakeHost host;
    FixedRandom random;
    ScriptedDialogs boxes;
    std::unique_ptr<TWallpaper> window;

    Shown shown() const { return host.whichIs(window->wpImage->picture()); }
    QList<QAction*> addSets() const { return {window->AddSet1, window->AddSet2, window->AddSet3, window->AddSet4}; }
    void showAndWait()
    {
        window->showSlideshow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

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

    void windowIsBorderlessBlackFullScreenWithHandPointer()
    {
        QCOMPARE(window->windowTitle(), QString("Wallpaper"));
        QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(window->wpImage->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(window->wpImage->objectName(), QString("wpImage"));
        QCOMPARE(window->wpImage->toolTip(),
                 QString("Left click to return to calendar\r\nRight click for slideshow settings"));
        QCOMPARE(window->wpImage->backgroundColor(), QColor(Qt::black));
        QCOMPARE(window->SlidesTimer->interval(), 5000);
        QVERIFY(!window->SlidesTimer->isActive());
        showAndWait();
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
        QTest::newRow("flat proportional") << QSize(1000, 300) << false << QRect(0, 252, 1920, 576);
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
        QCOMPARE(window->wpImage->fitMode(), stretched ? FitMode::Stretched : FitMode::Proportional);
        window->wpImage->setPicture(Picture::fromImage(fixtures::quadrants(picture.width(), picture.height())));
        QCOMPARE(window->wpImage->pictureRect(), expected);
        QCOMPARE(pictureTargetRect(picture, window->wpImage->size(), window->wpImage->fitMode()), expected);

        const QImage shot = window->grab().toImage();
        if (expected.left() > 0) QCOMPARE(QColor(shot.pixel(expected.left() - 1, 540)), QColor(Qt::black));
        if (expected.top() > 0) QCOMPARE(QColor(shot.pixel(960, expected.top() - 1)), QColor(Qt::black));
        QCOMPARE(QColor(shot.pixel(expected.left() + 4, expected.top() + 4)), QColor(Qt::red));
        QCOMPARE(QColor(shot.pixel(expected.right() - 4, expected.bottom() - 4)), QColor(Qt::white));
    }

    void menuHoldsItsItemsInOrderWithGroupsAndInitialMarks()
    {
        const QStringList layout{"itemRun:Run*", "itemStop:Stop", "|", "itemProportional:Proportional*",
                                 "itemStretched:Stretched", "|", "item05seconds:05 seconds*",
                                 "item10seconds:10 seconds", "|", "item30seconds:30 seconds",
                                 "item60seconds:60 seconds", "|", "AddSet1:Add Set 1", "AddSet2:Add Set 2", "|",
                                 "AddSet3:Add Set 3", "AddSet4:Add Set 4"};
        QStringList actual;
        for (const QAction* a : window->ConfigMenu->actions()) {
            actual << (a->isSeparator() ? QString("|")
                                        : a->objectName() + ':' + a->text() + (a->isChecked() ? "*" : ""));
            QVERIFY(a->isSeparator() || (a->isCheckable() && a->isVisible() && a->isEnabled()));
            if (!a->isSeparator()) QCOMPARE(window->menuItem(a->objectName()), a);
        }
        QCOMPARE(actual, layout);

        // Radio groups: marking one item unmarks the others of its group only.
        window->item30seconds->trigger();
        window->itemStop->trigger();
        for (QAction* a : window->ConfigMenu->actions())
            QCOMPARE(a->isChecked(), a == window->item30seconds || a == window->itemStop || a == window->itemProportional);
        QVERIFY(window->itemRun->actionGroup()->isExclusive());
        QVERIFY(window->itemRun->actionGroup() != window->item05seconds->actionGroup());
        for (QAction* a : addSets()) QVERIFY(!a->actionGroup());
    }

    void activationStartsFromTheMainWindowsPictureAndMarksTheCurrentSet()
    {
        host.set = 2;
        host.month = 7;
        host.onDisplay = host.lists[1][6];
        showAndWait();
        QCOMPARE(random.seeds, 1);
        QVERIFY(window->SlidesTimer->isActive());
        QCOMPARE(window->LastSlideMonth, 7);
        QCOMPARE(window->LastSlideSet, 2);
        QCOMPARE(shown(), (Shown{2, 7}));
        QVERIFY(!window->AddSet2->isEnabled());

        // A right click opens the menu; neither it nor its closing is an activation.
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(50, 50), window->wpImage->mapToGlobal(QPoint(50, 50)));
        QApplication::sendEvent(window->wpImage, &rightClick);
        QTRY_VERIFY(window->ConfigMenu->isVisible());
        window->AddSet3->trigger();
        window->AddSet1->trigger();
        window->ConfigMenu->close();
        QTRY_VERIFY(!window->ConfigMenu->isVisible());
        QCOMPARE(random.seeds, 1);
        QVERIFY(window->isVisible());

        // The main window moves from set 2 to set 3; the slideshow is activated again.
        host.set = 3;
        window->FormActivate();
        QVERIFY(!window->AddSet3->isEnabled() && !window->AddSet3->isChecked());
        QVERIFY(window->AddSet2->isEnabled() && !window->AddSet2->isChecked());
        QVERIFY(window->AddSet1->isEnabled() && window->AddSet1->isChecked());
        QCOMPARE(window->AddSetItems, (std::array<QAction*, 4>{window->AddSet1, window->AddSet2,
                                                                 window->AddSet3, window->AddSet4}));
    }

    void firstTickNeverShowsTheStartingPicture()
    {
        window->FormActivate(); // set 1, month 3
        random.queue = {2, 0, 2, 2, 6}; // month 3 of set 1, then 3 twice more, then 7
        window->SlidesTimerTimer();
        QCOMPARE(shown(), (Shown{1, 7}));
        QCOMPARE(random.asked, (QList<int>{12, 1, 12, 12, 12}));
        QCOMPARE(window->LastSlideMonth, 7);

        // The same month may follow from another set.
        window->AddSet2->trigger();
        random.queue = {6, 1};
        window->SlidesTimerTimer();
        QCOMPARE(window->SlideCandidates, (QList<int>{1, 2}));
        QCOMPARE(shown(), (Shown{2, 7}));
        QCOMPARE(window->LastSlideSet, 2);
    }

    void neverTheSamePictureTwiceInARow()
    {
        window->FormActivate();
        Shown last{1, 3};
        QSet<int> months;
        for (int tick = 0; tick < 3000; ++tick) {
            if (tick == 1500) window->AddSet4->trigger();
            window->SlidesTimerTimer();
            const Shown now = shown();
            QVERIFY2(!(now == last), qPrintable(QString("tick %1").arg(tick)));
            QVERIFY(now.set == 1 || (tick >= 1500 && now.set == 4));
            months.insert(now.month);
            last = now;
        }
        QCOMPARE(months.size(), 12);
    }

    void candidatesAreDrawnUniformly()
    {
        host.set = 2;
        window->AddSet1->trigger();
        window->AddSet4->trigger();
        window->FormActivate();
        QList<int> perSet(4, 0), perMonth(12, 0);
        for (int tick = 0; tick < 6000; ++tick) {
            window->SlidesTimerTimer();
            ++perSet[shown().set - 1];
            ++perMonth[shown().month - 1];
        }
        QCOMPARE(window->SlideCandidates, (QList<int>{2, 1, 4}));
        QCOMPARE(perSet[2], 0);
        // 2 and 11 degrees of freedom at p = 0.001: 13.8 and 31.3.
        QVERIFY2(chiSquare({perSet[0], perSet[1], perSet[3]}) < 13.8, qPrintable(QString::number(perSet[0])));
        QVERIFY(chiSquare(perMonth) < 31.3);
    }

    void aFailingTickShowsOneBoxAndKeepsThePicture()
    {
        host.lists[0].resize(5);
        window->FormActivate();
        window->SlidesTimer->setInterval(5);
        bool tickedDuringBox = false;
        boxes.onBox = [&](const QString&) {
            random.queue = {10, 0};
            QTest::qWait(60); // ticks go on arriving while a box is open
            tickedDuringBox = random.queue.isEmpty();
            window->SlidesTimer->stop();
        };
        random.queue = {8, 0}; // month 9 of a set that holds five pictures
        QTRY_VERIFY(!boxes.log.isEmpty());
        QCOMPARE(boxes.log, QStringList{"error: List index out of bounds (8)"});
        QVERIFY(!tickedDuringBox);
        QCOMPARE(shown(), (Shown{1, 3}));
        QCOMPARE(window->LastSlideMonth, 3);
    }

    void intervalChangeRestartsTheCountdown()
    {
        window->FormActivate();
        QTest::qWait(300);
        window->item30seconds->trigger();
        QCOMPARE(window->SlidesTimer->interval(), 30000);
        QVERIFY(window->SlidesTimer->remainingTime() > 29800);
        QTest::qWait(300);
        window->item30seconds->trigger(); // the interval in force: nothing changes
        window->itemRunClick();           // nor does Run on a running timer
        QVERIFY(window->SlidesTimer->remainingTime() <= 29750);

        window->itemStop->trigger();
        window->item10secondsClick();
        QVERIFY(!window->SlidesTimer->isActive());
        QVERIFY(window->item10seconds->isChecked() && !window->item30seconds->isChecked());
        window->itemRun->trigger();
        QVERIFY(window->SlidesTimer->isActive());
        QCOMPARE(window->SlidesTimer->interval(), 10000);
    }

    void hiddenRunningAndStoppedStates()
    {
        QWidget mainWindow;
        mainWindow.show();
        host.mainWindow = &mainWindow;
        QVERIFY(!window->isVisible() && !window->SlidesTimer->isActive());
        showAndWait();
        QVERIFY(window->SlidesTimer->isActive()); // shown, running
        window->SlidesTimer->setInterval(20);
        window->SlidesTimer->start();
        random.queue = {4, 0};
        QTRY_COMPARE(shown(), (Shown{1, 5}));

        window->itemStop->trigger();
        QVERIFY(!window->SlidesTimer->isActive()); // shown, stopped
        QTest::mouseClick(window->wpImage, Qt::LeftButton, {}, QPoint(30, 30));
        QVERIFY(!window->isVisible()); // a left click while stopped hides
        QCOMPARE(host.hiddenCount, 1);

        QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
        showAndWait();
        QCOMPARE(random.seeds, 2);
        QVERIFY(!window->SlidesTimer->isActive()); // "Stop" is still marked

        window->itemRun->trigger();
        QTest::mouseClick(window->wpImage, Qt::LeftButton, {}, QPoint(30, 30));
        QVERIFY(!window->isVisible() && !window->SlidesTimer->isActive());
        QCOMPARE(host.hiddenCount, 2);
        QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
        showAndWait();
        QVERIFY(window->SlidesTimer->isActive()); // runs again

        window->close(); // closing from the window system ends the show as a click does
        QVERIFY(!window->isVisible() && !window->SlidesTimer->isActive());
        QCOMPARE(host.hiddenCount, 3);
        host.mainWindow = nullptr;
    }

    void addSetLoadsSetsTwoToFourWhetherMarkedOrUnmarked()
    {
        for (QAction* item : addSets()) item->trigger();
        QCOMPARE(host.loads, (QList<int>{2, 3, 4}));
        for (QAction* item : addSets()) QVERIFY(item->isChecked());
        window->AddSet1Click(); // the handlers toggle exactly once, like the menu
        window->AddSet2Click();
        window->AddSet3Click();
        window->AddSet4Click();
        QCOMPARE(host.loads, (QList<int>{2, 3, 4, 2, 3, 4}));
        for (QAction* item : addSets()) QVERIFY(!item->isChecked());
        QVERIFY(boxes.log.isEmpty());

        window->FormActivate(); // set 1: its item cannot be chosen
        window->AddSet1->trigger();
        QVERIFY(!window->AddSet1->isChecked());
    }

    void aFailingLoadShowsOneBoxAndTheMarkStaysToggled()
    {
        host.failing = {3};
        window->AddSet3->trigger();
        QCOMPARE(boxes.log, QStringList{"error: Cannot open file graphics3.dat."});
        QVERIFY(window->AddSet3->isChecked());
        window->AddSet3->trigger(); // the next choice tries the file again
        QCOMPARE(host.loads, (QList<int>{3, 3}));
        QVERIFY(!window->AddSet3->isChecked());
    }

    void theSlideshowIsActiveAgainAfterAnErrorBox()
    {
        QWidget mainWindow;
        mainWindow.show();
        showAndWait();
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

    void escapeLeavesAndTheMenuKeysOpenTheSettings_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Menu key") << int(Qt::Key_Menu) << int(Qt::NoModifier);
        QTest::newRow("Shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier);
    }
    void escapeLeavesAndTheMenuKeysOpenTheSettings()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        showAndWait();
        QTest::keyClick(window.get(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTRY_VERIFY(window->ConfigMenu->isVisible());
        window->ConfigMenu->close();
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QVERIFY(!window->isVisible());
        QVERIFY(!window->SlidesTimer->isActive());
        QCOMPARE(host.hiddenCount, 1);
    }
};

QTEST_MAIN(TestWallpaper)
#include "tst_wallpaper.moc"
