#include "diary/dayeditor.h"
#include "diary/spelling/spellhighlighter.h"
#include "diary/spelling/spellingmenu.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QTextBlock>

namespace vistelle {

DayEditor::DayEditor(QWidget* parent) : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The selection stays visible without the focus (the search shows its hit this way).
    QPalette p = palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(p);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_loading) emit changed();
    });
}

QString DayEditor::text() const
{
    QString t = toPlainText();
    t.replace(u'\n', QStringLiteral("\r\n"));
    return t;
}

void DayEditor::loadText(const QString& text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    // The modified flag must be clear when the change notification runs.
    m_loading = true;
    // The same text loaded again into an untouched editor leaves it as it is, so that
    // nothing is laid out and drawn anew.
    const bool untouched = !document()->isModified() && !document()->isUndoAvailable() && !document()->isRedoAvailable();
    if (!untouched || toPlainText() != t) setPlainText(t);
    document()->setModified(false);
    m_loading = false;
    emit changed();
}

void DayEditor::clearText() { loadText(QString()); }

bool DayEditor::modified() const { return document()->isModified(); }

QColor DayEditor::textColour() const { return palette().color(QPalette::Text); }

void DayEditor::setTextColour(const QColor& colour)
{
    QPalette p = palette();
    p.setColor(QPalette::Text, colour);
    setPalette(p);
    describe();
}

bool DayEditor::isGrey() const { return textColour() == UnsavedGrey; }

void DayEditor::setHint(const QString& hint)
{
    m_hint = hint;
    setToolTip(hint);
    describe();
}

void DayEditor::describe()
{
    const QString description = isGrey() ? QStringLiteral("not stored yet. ") + m_hint : m_hint;
    if (accessibleDescription() != description) setAccessibleDescription(description);
}

int DayEditor::toEditorPosition(int stored) const
{
    const QString t = text();
    int editor = 0;
    for (int i = 0; i < stored && i < t.size(); ++i) {
        if (t[i] == u'\r' && i + 1 < t.size() && t[i + 1] == u'\n') continue;
        ++editor;
    }
    return editor;
}

int DayEditor::toStoredPosition(int editor) const
{
    const QString t = toPlainText();
    int stored = 0;
    for (int i = 0; i < editor && i < t.size(); ++i) stored += t[i] == u'\n' ? 2 : 1;
    return stored;
}

void DayEditor::selectRange(int start, int length)
{
    QTextCursor c = textCursor();
    const int from = toEditorPosition(start);
    const int to = toEditorPosition(start + length);
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    setTextCursor(c);
}

int DayEditor::selectionStart() const { return toStoredPosition(textCursor().selectionStart()); }

int DayEditor::selectionLength() const
{
    return toStoredPosition(textCursor().selectionEnd()) - selectionStart();
}

void DayEditor::caretToEnd()
{
    QTextCursor c = textCursor();
    c.movePosition(QTextCursor::End);
    setTextCursor(c);
}

void DayEditor::showUnavailable(const QString& notice)
{
    clearText();
    setReadOnly(true);
    setPlaceholderText(notice);
}

void DayEditor::setSpellChecker(SpellChecker* checker)
{
    delete m_highlighter;
    m_highlighter = nullptr;
    m_checker = checker;
    if (checker) m_highlighter = new SpellHighlighter(document(), *checker);
}

QMenu* DayEditor::createContextMenu(QPoint pos)
{
    QMenu* menu = createStandardContextMenu(pos);
    menu->setObjectName(QStringLiteral("TodayMenu"));
    if (m_checker) {
        spellingmenu::addWordItems(*menu, menu->actions().value(0), *m_checker, *this, pos);
        spellingmenu::addSettingsItems(*menu, *m_checker);
    }
    if (addMenuItems) addMenuItems(*menu);
    return menu;
}

void DayEditor::contextMenuEvent(QContextMenuEvent* event)
{
    // From the keyboard the menu belongs to the word at the caret.
    const QPoint pos = event->reason() == QContextMenuEvent::Keyboard ? cursorRect().center() : event->pos();
    QMenu* menu = createContextMenu(pos);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

// Shift+F10 opens the menu as the Menu key does: the X11 window system turns only the
// Menu key into a context-menu event.
void DayEditor::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_F10 || event->modifiers() != Qt::ShiftModifier) return QPlainTextEdit::keyPressEvent(event);
    const QPoint caret = cursorRect().center();
    QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, caret, viewport()->mapToGlobal(caret), event->modifiers());
    contextMenuEvent(&menuEvent);
}

} // namespace vistelle
