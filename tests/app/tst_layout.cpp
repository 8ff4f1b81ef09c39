// The main window's layout: bars, limits, the bottom bar, the logo link and the hints.

#include "app/clicklabel.h"
#include "app/repeatbutton.h"
#include "app/splitterpanel.h"
#include "mainformfixture.h"
#include "pictures/pictureview.h"
#include "platform/shell.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolTip>

using namespace vistelle;
using namespace vistelle::testing;

class TestLayout : public QObject {
    Q_OBJECT

    std::unique_ptr<MainFormFixture> fx;

    static QRect inBar(TMainForm& f, QWidget* w) { return w->geometry().translated(-2, -2); }

    // Whether a hint request reaches the control (the hint switch stops it before that).
    static bool showsHint(QWidget* w)
    {
        struct Probe : QObject {
            bool seen = false;
            bool eventFilter(QObject*, QEvent* e) override
            {
                if (e->type() == QEvent::ToolTip) seen = true;
                return false;
            }
        } probe;
        w->installEventFilter(&probe);
        QHelpEvent e(QEvent::ToolTip, QPoint(2, 2), w->mapToGlobal(QPoint(2, 2)));
        QCoreApplication::sendEvent(w, &e);
        w->removeEventFilter(&probe);
        QToolTip::hideText();
        return probe.seen;
    }

private slots:
    void init() { fx = std::make_unique<MainFormFixture>(); }
    void cleanup() { fx.reset(); }

    void stepButtonsLookAsStyledFlatBlackButtonsInEveryState()
    {
        // What a style sheet of no border on black draws, in every state of the button.
        auto form = fx->start();
        RepeatButton* b = form->btnNextMonth;
        QToolButton styled;
        styled.setAutoRaise(true);
        styled.setFixedSize(b->size());
        styled.setIcon(b->icon());
        styled.setIconSize(b->iconSize());
        styled.setStyleSheet("QToolButton { border: none; background: black; }");
        auto image = [](QWidget& w) { return w.grab().toImage().convertToFormat(QImage::Format_RGB32); };
        auto same = [&] { return image(*b) == image(styled); };
        QVERIFY(same());
        b->setAttribute(Qt::WA_UnderMouse);
        styled.setAttribute(Qt::WA_UnderMouse);
        QVERIFY(same());
        b->setDown(true);
        styled.setDown(true);
        QVERIFY(same());
        b->setDown(false);
        b->setAttribute(Qt::WA_UnderMouse, false);
        b->setEnabled(false);
        styled.setEnabled(false);
        QVERIFY(same());
        b->setEnabled(true);
    }

    void designSizeLaysOutFrameBarsAndBottomBar()
    {
        auto form = fx->start();
        QCOMPARE(form->frameGeometry().size(), QSize(736, 415));
        const int w = form->width(), h = form->height();
        QCOMPARE(form->TopPanel->geometry(), QRect(0, 0, w, 5));
        QCOMPARE(form->WebLinkPanel->geometry(), QRect(0, h - 33, w, 33));
        QCOMPARE(form->BottomPanel->geometry(), QRect(0, h - 38, w, 5));
        QCOMPARE(form->MainPanel->geometry(), QRect(5, 5, w - 10, h - 43));
        QCOMPARE(form->MainPanel->barPosition(0), 407);
        QCOMPARE(form->MainPanel->barPosition(1), 203);
        QCOMPARE(form->WeekPane->width(), 407);
        QCOMPARE(form->CalendarPane->height(), 203);
        QCOMPARE(form->WeekNoPanel->height(), 25);
        QCOMPARE(form->MonthPanel->height(), 25);
        QCOMPARE(form->YearPanel->height(), 25);
        QCOMPARE(form->btnNextMonth->size(), QSize(50, 19));
        QCOMPARE(inBar(*form, form->TipCheckBox), QRect(5, 6, 16, 17));
        QCOMPARE(inBar(*form, form->searchBox), QRect(23, 5, 153, 19));
        QCOMPARE(inBar(*form, form->btnSearch), QRect(180, 5, 50, 19));
        // The set choices and the product link keep their distance to the right edge.
        const int shift = w - 4 - 716;
        QCOMPARE(inBar(*form, form->ch[0]), QRect(513 + shift, 6, 27, 17));
        QCOMPARE(inBar(*form, form->ch[3]), QRect(615 + shift, 6, 27, 17));
        QCOMPARE(inBar(*form, form->vistelleURL), QRect(642 + shift, 6, 72, 17));
        QVERIFY(form->LogoAB->isVisible());
        QCOMPARE(form->TransLabel->geometry().left(), form->LogoAB->geometry().left());
        QCOMPARE(form->TransLabel->width(), form->LogoAB->width());
        QCOMPARE(inBar(*form, form->LogoAB).left(), (w - form->LogoAB->width()) / 2);
    }

    // Families that are not installed are left out of the fonts asked for (each would cost
    // the font matcher a sorted list of every font); the first installed stand-in is drawn.
    void fontsNameOnlyInstalledFamilies()
    {
        auto form = fx->start();
        QStringList installed; // without the foundry that a family made by several is listed with
        for (const QString& listed : QFontDatabase::families()) installed << listed.section(" [", 0, 0);
        for (QWidget* w : std::initializer_list<QWidget*>{form.get(), form->Calendar, form->searchBox, form->Today}) {
            for (const QString& family : w->font().families())
                QVERIFY2(installed.contains(family), qPrintable(family));
        }
        const QString drawn = installed.contains("Trebuchet MS") ? "Trebuchet MS"
            : installed.contains("Open Sans")                    ? "Open Sans"
                                                                 : "DejaVu Sans";
        QCOMPARE(QFontInfo(form->Calendar->font()).family(), drawn);
    }

    void windowRefusesToShrinkAndBarsKeepTheirLimits()
    {
        auto form = fx->start();
        form->resize(200, 100);
        QCOMPARE(form->frameGeometry().size(), QSize(736, 415));
        form->MainPanel->setBarPosition(0, 5000);
        QCOMPARE(form->MainPanel->barPosition(0), form->MainPanel->width() - 300 - 3);
        form->MainPanel->setBarPosition(1, 0);
        QCOMPARE(form->MainPanel->barPosition(1), 200);
        form->resize(1100, 700);
        form->MainPanel->setBarPosition(0, 700);
        QCOMPARE(form->MainPanel->barPosition(0), 700);
        QCOMPARE(inBar(*form, form->ch[0]).left(), 513 + form->width() - 4 - 716);
    }

    void draggingABarMovesItWithinItsLimits()
    {
        auto form = fx->start();
        SplitterPanel* p = form->MainPanel;
        const QPoint onBar(408, 100);
        QTest::mousePress(p, Qt::LeftButton, {}, onBar);
        QTest::mouseMove(p, QPoint(350, 100));
        QTest::mouseRelease(p, Qt::LeftButton, {}, QPoint(350, 100));
        QCOMPARE(p->barPosition(0), 349);
        QTest::mousePress(p, Qt::LeftButton, {}, QPoint(350, 100));
        QTest::mouseMove(p, QPoint(10, 100));
        QTest::mouseRelease(p, Qt::LeftButton, {}, QPoint(10, 100));
        QCOMPARE(p->barPosition(0), 300);
    }

    // Bar 1 dragged to its limit leaves 29 pixels for the year bar and the day editor.
    void theYearBarKeepsItsHeightWithBarOneAtItsLimit()
    {
        for (int run = 0; run < 2; ++run) {
            auto form = fx->start();
            SplitterPanel* p = form->MainPanel;
            if (run == 0) {
                const QPoint onBar(p->barPosition(0) + 100, p->barPosition(1) + 1);
                QTest::mousePress(p, Qt::LeftButton, {}, onBar);
                QTest::mouseMove(p, QPoint(onBar.x(), p->height()));
                QTest::mouseRelease(p, Qt::LeftButton, {}, QPoint(onBar.x(), p->height()));
            }
            QCOMPARE(p->barPosition(1), p->height() - 29 - 3);
            QCOMPARE(form->TodayPane->height(), 29);
            QCOMPARE(form->YearPanel->geometry(), QRect(0, 0, form->TodayPane->width(), 25));
            QCOMPARE(form->yearLabel->height(), 19);
            QCOMPARE(form->Today->geometry(), QRect(0, 25, form->TodayPane->width(), 4));
            QVERIFY(form->close()); // the next start restores the bar from the record
        }
    }

    void narrowBottomBarGivesTheLogoANegativeLeft()
    {
        auto form = fx->start();
        form->WebLinkPanel->resize(20, 33);
        form->BottomPaneResize();
        QCOMPARE(inBar(*form, form->LogoAB).left(), -8); // (20 - 37) div 2, toward zero
        QCOMPARE(form->TransLabel->x(), form->LogoAB->x());
    }

    void logoLinkSwapsPictureOnHoverAndOpensTheOwnersSite()
    {
        QStringList opened;
        setWebOpener([&](const QString& a) { opened << a; });
        auto form = fx->start();
        const QImage a = form->LogoAB->pixmap().toImage();
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(form->TransLabel, &enter);
        QCOMPARE(form->LogoAB->pixmap().toImage(), form->LogoB->pixmap().toImage());
        QVERIFY(form->LogoAB->pixmap().toImage() != a);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(form->TransLabel, &leave);
        QCOMPARE(form->LogoAB->pixmap().toImage(), a);
        QTest::mouseClick(form->TransLabel, Qt::LeftButton);
        QTest::mouseClick(form->vistelleURL, Qt::LeftButton);
        setWebOpener({});
        QCOMPARE(opened.size(), 2);
        QVERIFY(opened[0].contains("korvo"));
        QVERIFY(opened[1].contains("vistelle"));
    }

    void hintSwitchTurnsEveryHintOff()
    {
        auto form = fx->start();
        QCOMPARE(form->monthLabel->toolTip(),
                 QStringLiteral("Left click to shortcut to today\r\nRight click to preview calendar page"));
        QCOMPARE(form->Calendar->toolTip(), QStringLiteral("Click on a date to select"));
        QVERIFY(form->TipCheckBox->isChecked());
        QVERIFY(showsHint(form->searchBox));
        form->TipCheckBox->click();
        QVERIFY(!form->TipCheckBox->isChecked());
        QVERIFY(!form->hintsShown());
        for (QWidget* w : {static_cast<QWidget*>(form->searchBox), static_cast<QWidget*>(form->monthLabel),
                           static_cast<QWidget*>(form->Calendar), static_cast<QWidget*>(form->Image)})
            QVERIFY(!showsHint(w));
        form->TipCheckBox->click();
        QVERIFY(form->hintsShown());
        QVERIFY(showsHint(form->Image)); // the picture shows its panel's hint
    }

    void rightClickOnATitleLabelOpensThePreview()
    {
        auto form = fx->start();
        QWidget* preview = form->findChild<QWidget*>(QStringLiteral("PrintForm"));
        QVERIFY(preview);
        QTest::mouseClick(form->weekLabel, Qt::RightButton, {}, form->weekLabel->rect().center());
        QVERIFY(preview->isVisible());
        QCOMPARE(form->Calendar->SelectedDate(), encodeDate(2009, 3, 4));
    }
};

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
