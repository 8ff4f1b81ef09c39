#include "diary/spelling/spellingmenu.h"
#include "diary/spelling/spellchecker.h"
#include "diary/spelling/spellwords.h"

#include <QActionGroup>
#include <QLocale>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextBlock>

namespace vistelle::spellingmenu {

namespace {

QAction* makeAction(QMenu& menu, const QString& text, const char* name)
{
    auto* a = new QAction(text, &menu);
    a->setObjectName(QLatin1String(name));
    return a;
}

} // namespace

void addWordItems(QMenu& menu, QAction* before, SpellChecker& checker, QPlainTextEdit& editor, QPoint pos)
{
    if (!checker.isActive()) return;
    const QTextCursor at = editor.cursorForPosition(pos);
    const QTextBlock block = at.block();
    const std::optional<WordRange> range = wordToCheckAt(block.text(), at.positionInBlock());
    if (!range) return;
    const QString word = block.text().mid(range->start, range->length);
    if (!checker.isMisspelt(word)) return;

    QList<QAction*> items;
    if (!editor.isReadOnly()) {
        int n = 0;
        for (const QString& s : checker.suggestions(word)) {
            QAction* a = makeAction(menu, s, "suggestion");
            a->setObjectName(QStringLiteral("suggestion%1").arg(++n));
            const int from = block.position() + range->start;
            const int length = range->length;
            QObject::connect(a, &QAction::triggered, &editor, [&editor, from, length, s] {
                QTextCursor c(editor.document());
                c.setPosition(from);
                c.setPosition(from + length, QTextCursor::KeepAnchor);
                c.insertText(s);
                editor.setTextCursor(c);
            });
            items << a;
        }
    }
    QAction* add = makeAction(menu, QStringLiteral("Add to dictionary"), "addToDictionary");
    QObject::connect(add, &QAction::triggered, &checker, [&checker, word] { checker.addToDictionary(word); });
    QAction* ignore = makeAction(menu, QStringLiteral("Ignore"), "ignoreWord");
    QObject::connect(ignore, &QAction::triggered, &checker, [&checker, word] { checker.ignore(word); });
    items << add << ignore;
    menu.insertActions(before, items);
    menu.insertSeparator(before);
}

void addSettingsItems(QMenu& menu, SpellChecker& checker)
{
    menu.addSeparator();
    QAction* check = makeAction(menu, QStringLiteral("Check spelling"), "checkSpelling");
    check->setCheckable(true);
    check->setChecked(checker.checking());
    // Until the dictionaries are known (a moment after start) the remembered choices are
    // not read yet either: both items wait.
    check->setEnabled(checker.isLoaded());
    QObject::connect(check, &QAction::toggled, &checker, [&checker](bool on) { checker.setChecking(on); });
    menu.addAction(check);

    QMenu* languages = menu.addMenu(QStringLiteral("Spelling language"));
    languages->setObjectName(QStringLiteral("spellingLanguage"));
    languages->menuAction()->setObjectName(QStringLiteral("spellingLanguage"));
    languages->setEnabled(checker.isLoaded());
    if (checker.isLoaded() && checker.languages().isEmpty()) {
        QAction* none = languages->addAction(QStringLiteral("No spelling dictionary installed"));
        none->setObjectName(QStringLiteral("noSpellingDictionary"));
        none->setEnabled(false);
        return;
    }
    auto* group = new QActionGroup(languages);
    for (const QString& tag : checker.languages()) {
        QAction* a = languages->addAction(languageName(tag));
        a->setObjectName(tag);
        a->setCheckable(true);
        a->setChecked(tag == checker.language());
        group->addAction(a);
        QObject::connect(a, &QAction::triggered, &checker, [&checker, tag] { checker.setLanguage(tag); });
    }
}

QString languageName(const QString& tag)
{
    const QLocale locale(tag);
    if (locale.language() == QLocale::C || locale.language() == QLocale::AnyLanguage) return tag;
    const QString language = QLocale::languageToString(locale.language());
    if (!tag.contains(u'_') && !tag.contains(u'-')) return language;
    return QStringLiteral("%1 (%2)").arg(language, QLocale::territoryToString(locale.territory()));
}

} // namespace vistelle::spellingmenu
