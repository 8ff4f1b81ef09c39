// The whole window by keyboard: the order Tab follows, the keys of the picture, the week
// view's panels and the calendar, the window-wide shortcuts, the focus marks, and the
// names that follow the selected date for assistive technologies.

#include "app/clicklabel.h"
#include "app/look.h"
#include "app/mainform.h"
#include "app/repeatbutton.h"
#include "app/splitterpanel.h"
#include "calendar/qelcalendar.h"
#include "core/datewords.h"
#include "diary/dayeditor.h"
#include "pictures/pictureview.h"
#include "platform/guard.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>

namespace vistelle {

namespace {

bool isEnter(const QKeyEvent* e)
{
    const bool plain = e->modifiers() == Qt::NoModifier || e->modifiers() == Qt::KeypadModifier;
    return plain && (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter);
}

bool isMenuKey(const QKeyEvent* e)
{
    return e->key() == Qt::Key_Menu || (e->key() == Qt::Key_F10 && e->modifiers() == Qt::ShiftModifier);
}

} // namespace

void TMainForm::connectKeys()
{
    const auto shortcut = [this](QKeyCombination keys, auto handler) {
        auto* s = new QShortcut(QKeySequence(keys), this);
        connect(s, &QShortcut::activated, this, guarded(handler));
    };
    shortcut(Qt::CTRL | Qt::Key_PageUp, [this] { stepDay(-1); });
    shortcut(Qt::CTRL | Qt::Key_PageDown, [this] { stepDay(+1); });
    shortcut(Qt::ALT | Qt::Key_Home, [this] { monthLabelClick(); });
    shortcut(Qt::CTRL | Qt::Key_F, [this] {
        searchBox->setFocus(Qt::ShortcutFocusReason);
        searchBox->selectAll();
    });
    Calendar->installEventFilter(this);
    btnSearch->installEventFilter(this);
    // On the black bottom bar the style's focus frame of the check box and the set choices
    // is drawn in a light colour.
    for (QWidget* w : {static_cast<QWidget*>(TipCheckBox), static_cast<QWidget*>(ch[0]), static_cast<QWidget*>(ch[1]),
                       static_cast<QWidget*>(ch[2]), static_cast<QWidget*>(ch[3])}) {
        QPalette p = w->palette();
        p.setColor(QPalette::Highlight, Qt::white);
        w->setPalette(p);
    }
}

// Reading order: the left pane (picture, or each day's date label and panel), the week
// bar, the month bar, the calendar, the year bar, the editor, then the bottom bar.
void TMainForm::setTabOrders()
{
    QList<QWidget*> order{Image};
    for (size_t i = 0; i < 7; ++i) order << dateLabels[i] << dayPanels[i];
    order << btnPreviousWeek << weekLabel << btnNextWeek << btnPreviousMonth << monthLabel << btnNextMonth << Calendar
          << btnPreviousYear << yearLabel << btnNextYear << Today << searchBox << btnSearch << TipCheckBox;
    for (QRadioButton* c : ch) order << c;
    order << TransLabel << vistelleURL;
    for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

// Keys of the controls that are no buttons of their own. True when the key was used.
bool TMainForm::keyEvent(QObject* watched, QKeyEvent* e)
{
    if (watched == Calendar && isEnter(e)) {
        Today->setFocus(Qt::OtherFocusReason);
        return true;
    }
    if (watched == Image) {
        if (isEnter(e) || (e->key() == Qt::Key_Space && e->modifiers() == Qt::NoModifier)) {
            guard([this] { hidePictureClick(); });
            return true;
        }
        if (isMenuKey(e)) {
            guard([this] { ImageMouseUp(Qt::RightButton); });
            return true;
        }
        return false;
    }
    if (watched == TransLabel && isEnter(e)) {
        guard([this] { TransLabelClick(); });
        return true;
    }
    for (QWidget* panel : dayPanels) {
        if (watched == panel && (isEnter(e) || (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier))) {
            guard([this] { showPictureClick(); });
            return true;
        }
    }
    return false;
}

void TMainForm::showFocus(QWidget* frame, bool shown)
{
    QPalette p = frame->palette();
    const QColor edge = shown ? palette().color(QPalette::Highlight) : palette().color(QPalette::Light);
    const QColor shade = shown ? palette().color(QPalette::Highlight) : palette().color(QPalette::Dark);
    if (p.color(QPalette::Light) == edge && p.color(QPalette::Dark) == shade) return;
    p.setColor(QPalette::Light, edge);
    p.setColor(QPalette::Dark, shade);
    frame->setPalette(p);
}

void TMainForm::showButtonFocus(QWidget* button, bool shown)
{
    QPalette p = button->palette();
    p.setColor(QPalette::Button, shown ? palette().color(QPalette::Highlight) : look::colour(look::clSilver));
    p.setColor(QPalette::Window, p.color(QPalette::Button));
    p.setColor(QPalette::ButtonText, shown ? palette().color(QPalette::HighlightedText) : look::colour(look::clNavy));
    button->setPalette(p);
}

void TMainForm::showNames()
{
    const QString name = QStringLiteral("Entry for ") + spokenDate(Calendar->SelectedDate());
    if (Today->accessibleName() != name) Today->setAccessibleName(name);
}

} // namespace vistelle
