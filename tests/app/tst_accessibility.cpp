// The main window for keyboard and screen-reader users: every control's accessible name and
// role, the order Tab follows, one table of keys on the real window, and the designed
// colours under a dark desktop palette.

#include "mainformfixture.h"

#include "app/clicklabel.h"
#include "app/repeatbutton.h"
#include "app/splitterpanel.h"
#include "core/datewords.h"
#include "pictures/pictureview.h"
#include "platform/systemcolours.h"
#include "preview/printform.h"
#include "slideshow/wallpaper.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace vistelle;
using namespace vistelle::testing;

namespace {

QAccessibleInterface* iface(QWidget* w) { return QAccessible::queryAccessibleInterface(w); }

QString nameOf(QWidget* w) { return iface(w)->text(QAccessible::Name); }

// Roles of the things a user reads or acts on; containers are left out.
bool isControl(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::EditableText:
    case QAccessible::Graphic:
    case QAccessible::Link:
    case QAccessible::Table:
    case QAccessible::StaticText:
        return true;
    default:
        return false;
    }
}

void collectNameless(QAccessibleInterface* node, QStringList& nameless)
{
    if (node->state().invisible) return;
    if (isControl(node->role()) && node->text(QAccessible::Name).trimmed().isEmpty()) {
        QObject* o = node->object();
        nameless << (o ? o->objectName() + '/' + o->metaObject()->className() : QStringLiteral("?"));
    }
    if (node->role() == QAccessible::Table) return; // its cells are checked on their own
    for (int i = 0; i < node->childCount(); ++i) {
        if (QAccessibleInterface* child = node->child(i)) collectNameless(child, nameless);
    }
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

    std::unique_ptr<MainFormFixture> fx;

    QWidget* widget(TMainForm& form, const QString& name)
    {
        if (name == QLatin1String("MainForm")) return &form;
        return form.findChild<QWidget*>(name);
    }

private slots:
    void init() { fx = std::make_unique<MainFormFixture>(); }
    void cleanup() { fx.reset(); }

    void controlsHaveTheirNamesRolesAndHints_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("description");
        const QString scroll = QStringLiteral("Click and hold for fast scroll");
        const int button = QAccessible::Button, push = QAccessible::PushButton;
        QTest::newRow("previous month") << "btnPreviousMonth" << "Previous month" << push << scroll;
        QTest::newRow("next month") << "btnNextMonth" << "Next month" << push << scroll;
        QTest::newRow("previous week") << "btnPreviousWeek" << "Previous week" << push << scroll;
        QTest::newRow("next week") << "btnNextWeek" << "Next week" << push << scroll;
        QTest::newRow("previous year") << "btnPreviousYear" << "Previous year" << push << scroll;
        QTest::newRow("next year") << "btnNextYear" << "Next year" << push << scroll;
        const QString today = QStringLiteral("Left click to shortcut to today\r\nRight click to preview calendar page");
        QTest::newRow("month label") << "monthLabel" << "March" << button << today;
        QTest::newRow("week label") << "weekLabel" << "Week 10" << button << today;
        QTest::newRow("year label") << "yearLabel" << "2009" << button << today;
        QTest::newRow("search box") << "searchBox" << "Search text or date" << int(QAccessible::EditableText)
                                    << "Enter search text or date";
        QTest::newRow("search button") << "btnSearch" << "Search" << push << "Click to start search";
        QTest::newRow("hint box") << "TipCheckBox" << "Show hints" << int(QAccessible::CheckBox)
                                  << "Click to toggle hint display";
        QTest::newRow("set 1") << "ch1" << "Picture set 1" << int(QAccessible::RadioButton) << "Click for default picture set";
        QTest::newRow("set 4") << "ch4" << "Picture set 4" << int(QAccessible::RadioButton) << "Click for picture set 4";
        QTest::newRow("picture") << "Image" << "Picture of March" << int(QAccessible::Graphic)
                                 << "Picture set 1. Drag & drop a picture here. Left click to view week. Right click to view slides";
        QTest::newRow("day editor") << "Today" << "Entry for Wednesday 4 March 2009" << int(QAccessible::EditableText)
                                    << "Enter text - click outside box to save (text will turn black)";
        QTest::newRow("calendar") << "Calendar" << "Calendar" << int(QAccessible::Table) << "Click on a date to select";
        QTest::newRow("week day") << "MondayPanel" << "Monday 2 March 2009" << int(QAccessible::Grouping) << "Click for picture";
        QTest::newRow("date label") << "lbl_Mondate" << "Select Monday 2 March 2009" << button << "Click to select date";
        QTest::newRow("week memo") << "Monday" << "Entry for Monday 2 March 2009" << int(QAccessible::EditableText) << "";
        QTest::newRow("product link") << "vistelleURL" << "Vistelle website" << int(QAccessible::Link) << "Click for website";
        QTest::newRow("logo link") << "TransLabel" << "Korvo Group website" << int(QAccessible::Link) << "Click for website";
    }
    void controlsHaveTheirNamesRolesAndHints()
    {
        QFETCH(QString, control);
        QFETCH(QString, name);
        QFETCH(int, role);
        QFETCH(QString, description);
        auto form = fx->start();
        QWidget* w = widget(*form, control);
        QVERIFY(w);
        if (w->parentWidget() && form->WeekPanel->isAncestorOf(w)) MainFormFixture::clickPicture(*form);
        QCOMPARE(nameOf(w), name);
        QCOMPARE(int(iface(w)->role()), role);
        QCOMPARE(iface(w)->text(QAccessible::Description), description);
    }

    void windowsAreFramesWithTheirCaptions()
    {
        auto form = fx->start();
        QCOMPARE(iface(form.get())->role(), QAccessible::Window);
        QVERIFY(nameOf(form.get()).startsWith("The Korvo Group 2009 e-Calendar"));
        QCOMPARE(iface(form->printForm)->role(), QAccessible::Window);
        QCOMPARE(nameOf(form->printForm), "Vistelle Calendar Page Preview");
        QCOMPARE(iface(form->wallpaper)->role(), QAccessible::Window);
        QCOMPARE(nameOf(form->wallpaper), "Wallpaper");
    }

    void noShownControlIsNameless()
    {
        auto form = fx->start();
        QStringList nameless;
        collectNameless(iface(form.get()), nameless);
        QCOMPARE(nameless, QStringList());
        MainFormFixture::clickPicture(*form); // the week view
        collectNameless(iface(form.get()), nameless);
        QCOMPARE(nameless, QStringList());
    }

    void namesFollowTheDateAndTheEditorSaysWhatIsNotStored()
    {
        auto form = fx->start();
        MainFormFixture::type(*form, "abc");
        QVERIFY(iface(form->Today)->text(QAccessible::Description).startsWith("not stored yet. "));
        QVERIFY(contrastRatio(DayEditor::UnsavedGrey, form->Today->palette().color(QPalette::Base)) >= 4.5);
        form->btnNextMonthClick();
        QCOMPARE(nameOf(form->Today), "Entry for Saturday 4 April 2009");
        QCOMPARE(nameOf(form->Image), "Picture of April");
        QCOMPARE(iface(form->Today)->text(QAccessible::Description),
                 "Enter text - click outside box to save (text will turn black)");
        form->ch[2]->click();
        QVERIFY(iface(form->Image)->text(QAccessible::Description).startsWith("Picture set 3. "));
    }

    void tabFollowsTheReadingOrder_data()
    {
        QTest::addColumn<bool>("weekShown");
        QTest::addColumn<QStringList>("order");
        const QStringList rest{"btnPreviousWeek", "weekLabel", "btnNextWeek", "btnPreviousMonth", "monthLabel",
                               "btnNextMonth", "Calendar", "btnPreviousYear", "yearLabel", "btnNextYear", "Today",
                               "searchBox", "btnSearch", "TipCheckBox", "ch1", "TransLabel", "vistelleURL"};
        QTest::newRow("picture") << false << QStringList("Image") + rest;
        QStringList week;
        for (const char* day : {"Mon", "Tues", "Wednes", "Thurs", "Fri", "Satur", "Sun"})
            week << QStringLiteral("lbl_%1date").arg(day) << QStringLiteral("%1dayPanel").arg(day);
        QTest::newRow("week view") << true << week + rest;
    }
    void tabFollowsTheReadingOrder()
    {
        QFETCH(bool, weekShown);
        QFETCH(QStringList, order);
        auto form = fx->start();
        if (weekShown) MainFormFixture::clickPicture(*form);
        widget(*form, order.first())->setFocus(Qt::TabFocusReason);
        QStringList seen;
        for (int i = 0; i < order.size(); ++i) {
            seen << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(seen, order);
        QCOMPARE(QApplication::focusWidget()->objectName(), order.first()); // round again
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget()->objectName(), order.last());
    }

    void tabLeavesTheEditorAndTypesNoTab()
    {
        auto form = fx->start();
        MainFormFixture::type(*form, "ab");
        QTest::keyClick(form->Today, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), form->searchBox);
        QCOMPARE(form->Today->text(), "ab");
        QTest::keyClick(form->searchBox, Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), form->Today);
        form->Today->insertPlainText("\tc"); // a pasted tab stays
        QCOMPARE(form->Today->text(), "ab\tc");
    }

    // Each row: the selected date to start from, the control that has the focus, a key,
    // and what follows: the selected date, the control with the focus, what the left pane shows.
    void keys_data()
    {
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QDate>("selected");
        QTest::addColumn<QString>("focusAfter");
        QTest::addColumn<QString>("shown");
        const QDate m4(2009, 3, 4);
        const int none = Qt::NoModifier, ctrl = Qt::ControlModifier, alt = Qt::AltModifier, shift = Qt::ShiftModifier;
        QTest::newRow("calendar right") << m4 << "Calendar" << int(Qt::Key_Right) << none << QDate(2009, 3, 5) << "Calendar" << "PicPanel";
        QTest::newRow("calendar down") << m4 << "Calendar" << int(Qt::Key_Down) << none << QDate(2009, 3, 11) << "Calendar" << "PicPanel";
        QTest::newRow("calendar end") << m4 << "Calendar" << int(Qt::Key_End) << none << QDate(2009, 3, 8) << "Calendar" << "PicPanel";
        QTest::newRow("calendar page down") << QDate(2009, 3, 2) << "Calendar" << int(Qt::Key_PageDown) << none << QDate(2009, 3, 30) << "Calendar" << "PicPanel";
        QTest::newRow("calendar enter") << m4 << "Calendar" << int(Qt::Key_Return) << none << m4 << "Today" << "PicPanel";
        QTest::newRow("calendar ctrl+page up") << QDate(2009, 3, 1) << "Calendar" << int(Qt::Key_PageUp) << ctrl << QDate(2009, 2, 28) << "Calendar" << "PicPanel";
        QTest::newRow("editor ctrl+page down") << QDate(2009, 2, 28) << "Today" << int(Qt::Key_PageDown) << ctrl << QDate(2009, 3, 1) << "Today" << "PicPanel";
        QTest::newRow("search box alt+home") << QDate(2010, 6, 1) << "searchBox" << int(Qt::Key_Home) << alt << m4 << "searchBox" << "PicPanel";
        QTest::newRow("editor ctrl+f") << m4 << "Today" << int(Qt::Key_F) << ctrl << m4 << "searchBox" << "PicPanel";
        QTest::newRow("next month space") << m4 << "btnNextMonth" << int(Qt::Key_Space) << none << QDate(2009, 4, 4) << "btnNextMonth" << "PicPanel";
        QTest::newRow("previous month enter") << m4 << "btnPreviousMonth" << int(Qt::Key_Return) << none << QDate(2009, 2, 4) << "btnPreviousMonth" << "PicPanel";
        QTest::newRow("next week enter") << m4 << "btnNextWeek" << int(Qt::Key_Return) << none << QDate(2009, 3, 11) << "btnNextWeek" << "PicPanel";
        QTest::newRow("previous year space") << m4 << "btnPreviousYear" << int(Qt::Key_Space) << none << QDate(2008, 3, 4) << "btnPreviousYear" << "PicPanel";
        QTest::newRow("month label enter") << QDate(2010, 6, 1) << "monthLabel" << int(Qt::Key_Return) << none << m4 << "monthLabel" << "PicPanel";
        QTest::newRow("year label space") << QDate(2010, 6, 1) << "yearLabel" << int(Qt::Key_Space) << none << m4 << "yearLabel" << "PicPanel";
        QTest::newRow("picture enter") << m4 << "Image" << int(Qt::Key_Return) << none << m4 << "lbl_Wednesdate" << "WeekPanel";
        QTest::newRow("picture menu key") << m4 << "Image" << int(Qt::Key_F10) << shift << m4 << "Image" << "PicPanel";
        QTest::newRow("week label menu key") << m4 << "weekLabel" << int(Qt::Key_Menu) << none << m4 << "weekLabel" << "PicPanel";
    }
    void keys()
    {
        QFETCH(QDate, start);
        QFETCH(QString, focus);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QDate, selected);
        QFETCH(QString, focusAfter);
        QFETCH(QString, shown);
        auto form = fx->start();
        form->Calendar->SetSelectedDate(encodeDate(start.year(), start.month(), start.day()));
        QWidget* w = widget(*form, focus);
        w->setFocus(Qt::TabFocusReason);
        QTest::keyClick(w, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        const DateParts d = decodeDate(form->Calendar->SelectedDate());
        QCOMPARE(QDate(d.year, d.month, d.day), selected);
        QCOMPARE(form->Today->accessibleName(), "Entry for " + spokenDateOf(selected));
        // The right click's windows: the slideshow from the picture, the page from a label;
        // Escape leaves either and the focus is back where it was.
        if (key == Qt::Key_F10 || key == Qt::Key_Menu) {
            QWidget* opened = w == form->Image ? static_cast<QWidget*>(form->wallpaper) : form->printForm;
            QTRY_VERIFY(opened->isVisible());
            QTest::keyClick(opened, Qt::Key_Escape);
            QTRY_VERIFY(!opened->isVisible());
            QTRY_VERIFY(form->isActiveWindow());
        }
        QCOMPARE(QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString(), focusAfter);
        QVERIFY(widget(*form, shown)->isVisible());
    }

    void weekViewKeys()
    {
        auto form = fx->start();
        form->Image->setFocus(Qt::TabFocusReason);
        QTest::keyClick(form->Image, Qt::Key_Space);
        QVERIFY(form->WeekPanel->isVisible());
        form->dateLabels[0]->setFocus(Qt::TabFocusReason);
        QTest::keyClick(form->dateLabels[0], Qt::Key_Return); // Monday 2 March
        QCOMPARE(form->Calendar->SelectedDate(), encodeDate(2009, 3, 2));
        QCOMPARE(QApplication::focusWidget(), form->dateLabels[0]);
        form->dayPanels[4]->setFocus(Qt::TabFocusReason);
        QTest::keyClick(form->dayPanels[4], Qt::Key_Escape);
        QVERIFY(form->PicPanel->isVisible());
        QCOMPARE(QApplication::focusWidget(), form->Image);
    }

    void holdingSpaceOnAStepButtonRepeats()
    {
        auto form = fx->start();
        form->btnNextWeek->setFocus(Qt::TabFocusReason);
        QTest::keyPress(form->btnNextWeek, Qt::Key_Space);
        QTest::qWait(RepeatButton::FirstDelay + 2 * RepeatButton::Interval + 50);
        QTest::keyRelease(form->btnNextWeek, Qt::Key_Space);
        const TDateTime reached = form->Calendar->SelectedDate();
        QVERIFY(reached >= encodeDate(2009, 3, 18)); // the press and at least one repetition
        QTest::qWait(2 * RepeatButton::Interval);
        QCOMPARE(form->Calendar->SelectedDate(), reached); // released: no further step
        QCOMPARE(QApplication::focusWidget(), form->btnNextWeek);
    }

    void aClickStillGivesTheEditorTheFocus()
    {
        auto form = fx->start();
        form->Calendar->setFocus(Qt::TabFocusReason);
        QTest::keyClick(form->Calendar, Qt::Key_Right);
        QCOMPARE(QApplication::focusWidget(), form->Calendar);
        MainFormFixture::clickDay(*form, 12);
        QCOMPARE(QApplication::focusWidget(), form->Today);
    }

    void designedColoursHoldUnderADarkDesktopPalette()
    {
        const QPalette before = QApplication::palette();
        QPalette dark(QColor(0x35, 0x35, 0x35));
        dark.setColor(QPalette::Base, QColor(0x20, 0x20, 0x20));
        dark.setColor(QPalette::Text, Qt::white);
        dark.setColor(QPalette::WindowText, Qt::white);
        dark.setColor(QPalette::ToolTipBase, QColor(0x30, 0x30, 0x30));
        dark.setColor(QPalette::ToolTipText, Qt::white);
        dark.setColor(QPalette::Highlight, QColor(0x2A, 0x82, 0xDA));
        QApplication::setPalette(dark);
        auto form = fx->start();
        QApplication::setPalette(before);
        struct Pair { QWidget* w; QPalette::ColorRole text, background; };
        const Pair pairs[] = {
            {form->Calendar, QPalette::Text, QPalette::Base},
            {form->Calendar, QPalette::Text, QPalette::Button},
            {form->Calendar, QPalette::HighlightedText, QPalette::Highlight},
            {form->Today, QPalette::Text, QPalette::Base},
            {form->searchBox, QPalette::Text, QPalette::Base},
            {form->btnSearch, QPalette::ButtonText, QPalette::Button},
            {form->memos[0], QPalette::Text, QPalette::Base},
            {form->dayNameLabels[0], QPalette::WindowText, QPalette::Window},
        };
        for (const Pair& p : pairs) {
            const double ratio = contrastRatio(p.w->palette().color(p.text), p.w->palette().color(p.background));
            if (ratio < 4.5) QFAIL(qPrintable(QStringLiteral("%1: %2").arg(p.w->objectName()).arg(ratio)));
        }
        QCOMPARE(form->Today->palette().color(QPalette::Base), infoBackgroundColour());
        QCOMPARE(form->Calendar->Color(), infoBackgroundColour());
        QVERIFY(contrastRatio(DayEditor::UnsavedGrey, infoBackgroundColour()) >= 4.5);
    }

private:
    static QString spokenDateOf(QDate d) { return spokenDate(encodeDate(d.year(), d.month(), d.day())); }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
