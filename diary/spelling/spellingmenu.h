#pragma once
// The spelling items of the day editor's context menu. On a marked word: its
// suggestions (choosing one replaces the word as an edit of the user's), "Add to
// dictionary" and "Ignore", then a separator. At the end: "Check spelling" and the
// "Spelling language" submenu.

#include <QPoint>

class QAction;
class QMenu;
class QPlainTextEdit;

namespace vistelle {

class SpellChecker;

namespace spellingmenu {

// Inserts the word's items before `before` when the word at pos (in the editor's
// viewport) is marked.
void addWordItems(QMenu& menu, QAction* before, SpellChecker& checker, QPlainTextEdit& editor, QPoint pos);
void addSettingsItems(QMenu& menu, SpellChecker& checker);

// The name shown for a language tag: "English (United Kingdom)", or the tag itself.
QString languageName(const QString& tag);

} // namespace spellingmenu

} // namespace vistelle
