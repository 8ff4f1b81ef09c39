#pragma once
// The day editor: a multi-line text box whose text colour tells whether the text is
// stored (black) or edited since (grey). Texts come and go with CR LF line breaks, as
// the diary stores them; positions given to and taken from it count CR LF as two.

#include <QPlainTextEdit>
#include <functional>

class QMenu;

namespace vistelle {

class SpellChecker;
class SpellHighlighter;

class DayEditor : public QPlainTextEdit {
    Q_OBJECT

public:
    // The colour of text not stored yet: a grey that keeps 4.5:1 on the info-tip background.
    static inline const QColor UnsavedGrey{0x73, 0x73, 0x73};

    explicit DayEditor(QWidget* parent = nullptr);

    QString text() const;               // CR LF line breaks
    void loadText(const QString& text); // sets the text and clears the modified flag
    void clearText();
    bool modified() const;

    QColor textColour() const;
    void setTextColour(const QColor& colour);
    bool isGrey() const;
    // The description assistive technologies read: the hint, and while the text is grey,
    // that it is not stored yet.
    void setHint(const QString& hint);

    // Selects length characters from start (positions in the CR LF form of the text).
    void selectRange(int start, int length);
    int selectionStart() const; // in the CR LF form
    int selectionLength() const;
    void caretToEnd();

    // Shows a notice instead of the text and refuses typing (the diary is unavailable).
    void showUnavailable(const QString& notice);

    // Marks the words the checker does not know and offers its items in the context menu.
    void setSpellChecker(SpellChecker* checker);

    // The context menu for a right click at pos (viewport coordinates): the spelling
    // items of the word there, the usual edit actions, the spelling settings, then what
    // addMenuItems appends (each addition begins with a separator of its own).
    QMenu* createContextMenu(QPoint pos);
    std::function<void(QMenu& menu)> addMenuItems;

signals:
    void changed(); // every change of the text, by the user or by a load

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int toEditorPosition(int storedPosition) const;
    int toStoredPosition(int editorPosition) const;
    void describe();
    bool m_loading = false;
    SpellChecker* m_checker = nullptr;
    SpellHighlighter* m_highlighter = nullptr;
    QString m_hint;
};

} // namespace vistelle
