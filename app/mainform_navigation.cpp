// Date navigation: the month, week and year bars, the today shortcut, the week view and
// the one handler every date change ends in, calendarChange.

#include "app/clicklabel.h"
#include "app/inputsource.h"
#include "app/look.h"
#include "app/mainform.h"
#include "diary/diarykeeper.h"
#include "app/repeatbutton.h"
#include "app/splitterpanel.h"
#include "calendar/qelcalendar.h"
#include "calendar/weeknumber.h"
#include "diary/dayeditor.h"
#include "diary/dayentries.h"
#include "platform/guard.h"
#include "pictures/pictureview.h"
#include "preview/printform.h"
#include "search/diarysearch.h"
#include "core/switches.h"
#include "core/datewords.h"

#include <QLineEdit>
#include <QPushButton>

#include <QMouseEvent>
#include <QPlainTextEdit>

namespace vistelle {

void TMainForm::connectNavigation()
{
    monthList = {"January", "February", "March", "April", "May", "June", "July", "August", "September",
                 "October", "November", "December"};

    const auto change = [this](QObject*) { calendarChange(); };
    Calendar->OnClick = change;
    Calendar->OnChange = change;
    Calendar->OnDblClick = change;

    const std::pair<RepeatButton*, void (TMainForm::*)()> steps[] = {
        {btnNextWeek, &TMainForm::btnNextWeekClick},   {btnPreviousWeek, &TMainForm::btnPreviousWeekClick},
        {btnNextMonth, &TMainForm::btnNextMonthClick}, {btnPreviousMonth, &TMainForm::btnPreviousMonthClick},
        {btnNextYear, &TMainForm::btnNextYearClick},   {btnPreviousYear, &TMainForm::btnPreviousYearClick},
    };
    for (auto [button, handler] : steps) button->onStep = [this, handler] { return guard([=, this] { (this->*handler)(); }); };

    connect(btnSearch, &QPushButton::clicked, this, guarded([this] { btnSearchClick(); }));
    // Enter starts the search; the box inserts nothing for it.
    connect(searchBox, &QLineEdit::returnPressed, this, guarded([this] { btnSearchClick(); }));

    for (ClickLabel* label : {monthLabel, weekLabel, yearLabel}) {
        connect(label, &ClickLabel::clicked, this, guarded([this] { monthLabelClick(); }));
        connect(label, &ClickLabel::mouseUp, this, [this](Qt::MouseButton b) { guard([=, this] { monthLabelMouseUp(b); }); });
    }
    for (int i = 0; i < 7; ++i) {
        connect(dateLabels[size_t(i)], &ClickLabel::clicked, this, guarded([this, i] { dateLabelClick(i + 1); }));
        connect(dayNameLabels[size_t(i)], &ClickLabel::clicked, this, guarded([this] { showPictureClick(); }));
        connect(memos[size_t(i)], &QWidget::customContextMenuRequested, this, [this] { blankPopupMenuPopup(); });
    }
}

// Clicks on the day panels and their memos, the picture, and resizes of the week view.
bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize && watched == BottomPane) {
        guard([this] { BottomPaneResize(); });
        return false;
    }
    if (event->type() == QEvent::KeyPress && keyEvent(watched, static_cast<QKeyEvent*>(event))) return true;
    if ((event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) && watched == Image)
        showFocus(PicPanel, event->type() == QEvent::FocusIn);
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        const bool in = event->type() == QEvent::FocusIn;
        for (QWidget* panel : dayPanels) {
            if (watched == panel) showFocus(panel, in);
        }
        if (watched == btnSearch) showButtonFocus(btnSearch, in);
        // The logo link shows its hover picture while it has the focus.
        if (watched == TransLabel) guard([this, in] { in ? TransLabelMouseEnter() : TransLabelMouseLeave(); });
    }
    if (watched == PicPanel) return pictureEvent(event);
    if (watched == TransLabel) {
        if (event->type() == QEvent::Enter) guard([this] { TransLabelMouseEnter(); });
        else if (event->type() == QEvent::Leave) guard([this] { TransLabelMouseLeave(); });
        else if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            guard([this] { TransLabelClick(); });
        return false;
    }
    if (watched == Image) {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* e = static_cast<QMouseEvent*>(event);
            m_imagePressed = e->button() == Qt::LeftButton;
            guard([&] { ImageMouseDown(e->button(), e->modifiers()); });
        } else if (event->type() == QEvent::MouseButtonRelease) {
            auto* e = static_cast<QMouseEvent*>(event);
            const bool click = m_imagePressed && e->button() == Qt::LeftButton && Image->rect().contains(e->position().toPoint());
            if (e->button() == Qt::LeftButton) m_imagePressed = false;
            if (click) guard([this] { hidePictureClick(); });
            guard([&] { ImageMouseUp(e->button()); });
        }
        return false;
    }
    if (event->type() != QEvent::MouseButtonRelease) return QWidget::eventFilter(watched, event);
    auto* e = static_cast<QMouseEvent*>(event);
    if (e->button() != Qt::LeftButton) return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || !w->rect().contains(e->position().toPoint())) return false;
    for (size_t i = 0; i < 7; ++i) {
        if (watched == dayPanels[i] || watched == memos[i]->viewport()) {
            guard([this] { showPictureClick(); });
            return false;
        }
    }
    return false;
}

void TMainForm::calendarChange()
{
    if (!diary.ReadOnly()) storeEvent();
    getCurrentDate();
    updateWeek();
    showAll();
}

void TMainForm::showMonth() { monthLabel->setText(monthList.value(Calendar->Month() - 1)); }

void TMainForm::showWeek()
{
    weekLabel->setText(QStringLiteral("Week ") + QString::number(WeekNumberOf(Calendar->SelectedDate())));
}

void TMainForm::showYear() { yearLabel->setText(QString::number(Calendar->Year())); }

void TMainForm::showAll()
{
    showMonth();
    showWeek();
    showYear();
    showNames();
}

int TMainForm::day(TDateTime date)
{
    const int w = dayOfWeek(date);
    return w == 1 ? 7 : w - 1;
}

void TMainForm::updateWeek()
{
    const TDateTime current = m_entries->currentDate;
    const int d = day(current);
    // Colours and texts are set only where they change: a palette change re-polishes
    // the control, which would dominate a date change.
    auto setColour = [](QWidget* w, QPalette::ColorRole role, const QColor& c) {
        if (w->palette().color(role) == c) return;
        QPalette p = w->palette();
        p.setColor(role, c);
        w->setPalette(p);
    };
    const QColor purple = look::colour(look::clPurple), navy = look::colour(look::clNavy), red = look::colour(look::clRed);
    // While the picture is shown nobody sees the memos: their entries are looked up and
    // laid out when the week view is shown (hidePictureClick refreshes it then).
    const bool memosShown = !WeekPanel->isHidden();
    for (int i = 1; i <= 7; ++i) {
        const TDateTime t = current + i - d;
        const bool selected = i == d;
        QPlainTextEdit* memo = memos[size_t(i - 1)];
        if (memosShown) {
            const QString text = QString(info(t)).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            if (memo->toPlainText() != text) memo->setPlainText(text);
        }
        setColour(memo, QPalette::Text, selected ? red : purple);
        setColour(dayNameLabels[size_t(i - 1)], QPalette::WindowText, selected ? red : navy);
        setColour(dateLabels[size_t(i - 1)], QPalette::WindowText, selected ? red : navy);
        // A day beyond 31/12/9999 is no date: its label stays empty.
        dateLabels[size_t(i - 1)]->setText(isValidDay(t) ? dateToStr(t) : QString());
        const QString words = spokenDate(t);
        const auto name = [](QWidget* w, const QString& text) {
            if (w->accessibleName() != text) w->setAccessibleName(text);
        };
        name(dayPanels[size_t(i - 1)], words);
        name(dateLabels[size_t(i - 1)], words.isEmpty() ? QStringLiteral("No date") : QStringLiteral("Select ") + words);
        name(memo, QStringLiteral("Entry for ") + words);
    }
}

void TMainForm::btnNextWeekClick()
{
    const int m = Calendar->Month();
    Calendar->SetSelectedDate(m_entries->currentDate + 7);
    if (Calendar->Month() != m) setMonthPicture();
    showAll();
}

void TMainForm::btnPreviousWeekClick()
{
    const int m = Calendar->Month();
    Calendar->SetSelectedDate(m_entries->currentDate - 7);
    if (Calendar->Month() != m) setMonthPicture();
    showAll();
}

void TMainForm::btnNextMonthClick()
{
    Calendar->MonthForward();
    setMonthPicture();
    showAll();
}

void TMainForm::btnPreviousMonthClick()
{
    Calendar->MonthBack();
    setMonthPicture();
    showAll();
}

void TMainForm::btnNextYearClick()
{
    Calendar->YearForward();
    showAll();
}

void TMainForm::btnPreviousYearClick()
{
    Calendar->YearBack();
    showAll();
}

// From the keyboard the focus goes where the shown part begins: the selected day's date
// label, or the picture.
void TMainForm::hidePictureClick()
{
    const bool fromPicture = Image->hasFocus();
    PicPanel->hide();
    WeekPanel->show();
    if (keyboardAction() && fromPicture) dateLabels[size_t(day(Calendar->SelectedDate()) - 1)]->setFocus();
    focusToday();
    storeEvent();
    updateWeek();
}

void TMainForm::showPictureClick()
{
    const bool fromWeek = WeekPanel->isAncestorOf(focusWidget());
    PicPanel->show();
    WeekPanel->hide();
    if (keyboardAction() && fromWeek) Image->setFocus();
    focusToday();
    storeEvent();
}

void TMainForm::stepDay(int delta)
{
    const int m = Calendar->Month();
    Calendar->SetSelectedDate(m_entries->currentDate + delta);
    if (Calendar->Month() != m) setMonthPicture();
    showAll();
}

void TMainForm::focusToday()
{
    if (!keyboardAction()) Today->setFocus();
}

bool TMainForm::keyboardAction() const { return m_input && m_input->keyboard; }

void TMainForm::dateLabelClick(int weekday)
{
    const QString caption = dateLabels[size_t(weekday - 1)]->text();
    if (caption.isEmpty()) return; // a day beyond the last date
    Calendar->SetSelectedDate(strToDate(caption));
    setMonthPicture();
}

void TMainForm::monthLabelClick()
{
    const int m = Calendar->Month();
    Calendar->SetSelectedDate(today());
    if (Calendar->Month() != m) setMonthPicture();
}

void TMainForm::btnSearchClick()
{
    SearchHost host{diary, *Calendar, *Today, settingsDate,
                    // What the search stores goes to the file before the search holds the table.
                    [this] { storeEvent(); if (m_keeper && diaryAvailable) m_keeper->startSave(); },
                    [this] { getCurrentDate(); },
                    [this] { setMonthPicture(); },
                    [this] { return searchBox->text(); },
                    [this] { searchBox->clear(); }};
    searchDiary(host);
}

void TMainForm::monthLabelMouseUp(Qt::MouseButton button)
{
    if (button != Qt::RightButton || !switches::previewOnRightClick) return;
    createOtherWindows();
    printForm->showPreview();
}

void TMainForm::blankPopupMenuPopup() { Today->setFocus(); }

} // namespace vistelle
