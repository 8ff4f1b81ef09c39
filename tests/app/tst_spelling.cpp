// Spelling in the real main window over the installed Enchant dictionaries: the marks and
// the text colours, the context menu's order, a suggestion chosen, the choices remembered
// in the user's settings file, and a desktop without dictionaries.

#include "diary/spelling/enchantprovider.h"
#include "diary/spelling/spellchecker.h"
#include "diary/spelling/spellhighlighter.h"
#include "diary/spelling/spellingsettings.h"
#include "mainformfixture.h"
#include "tests/spelling/nodictionaries.h"

#include <QMenu>
#include <QTextBlock>
#include <QTextLayout>

using namespace vistelle;
using namespace vistelle::testing;

namespace {

const QColor Grey = DayEditor::UnsavedGrey;
const QString Entry = QStringLiteral("Walked along the rivr today");

// The marked ranges of the editor's first paragraph, as (start, length).
QList<QPair<int, int>> marksOf(DayEditor& editor)
{
    QList<QPair<int, int>> out;
    for (const QTextLayout::FormatRange& r : editor.document()->firstBlock().layout()->formats()) {
        // Only the underline: the text keeps the editor's colour.
        if (r.format != SpellHighlighter::misspeltFormat() || r.format.hasProperty(QTextFormat::ForegroundBrush)) return {};
        out << qMakePair(r.start, r.length);
    }
    return out;
}

QPoint pointAt(DayEditor& editor, int position)
{
    QTextCursor c(editor.document());
    c.setPosition(position);
    return editor.cursorRect(c).center();
}

QStringList textsOf(QMenu& menu)
{
    QStringList out;
    for (QAction* a : menu.actions()) out << (a->isSeparator() ? QStringLiteral("|") : a->text());
    return out;
}

} // namespace

class TestSpelling : public QObject {
    Q_OBJECT

    QTemporaryDir m_enchant;
    std::unique_ptr<MainFormFixture> fx;
    const TDateTime march4 = encodeDate(2009, 3, 4);

    std::unique_ptr<TMainForm> startLoaded()
    {
        auto form = fx->start();
        [&] { QTRY_VERIFY_WITH_TIMEOUT(form->spelling->isLoaded(), 10000); }();
        return form;
    }

private slots:
    void initTestCase() { qputenv("ENCHANT_CONFIG_DIR", m_enchant.path().toUtf8()); }

    void init()
    {
        fx = std::make_unique<MainFormFixture>();
        setSpellProviderFactory([] { return std::make_unique<EnchantProvider>(); });
        writeDiary({{march4, Entry}});
    }
    void cleanup() { fx.reset(); }

    void unknownWordIsMarkedAndTextKeepsItsColour()
    {
        auto form = startLoaded();
        DayEditor& today = *form->Today;
        QCOMPARE(today.text(), Entry);
        QCOMPARE(marksOf(today), (QList<QPair<int, int>>{{17, 4}}));
        QCOMPARE(today.textColour(), QColor(Qt::black));
        QVERIFY(!today.modified());

        MainFormFixture::type(*form, " wiht FRIENDS at 5pm, see www.exmple.org");
        QCOMPARE(today.textColour(), Grey);
        QCOMPARE(marksOf(today), (QList<QPair<int, int>>{{17, 4}, {28, 4}}));

        today.selectAll();
        MainFormFixture::type(*form, "A correct sentence.");
        QCOMPARE(marksOf(today), {});
    }

    void menuOnAMarkedWordBeginsWithItsSuggestions()
    {
        auto form = startLoaded();
        DayEditor& today = *form->Today;
        today.addMenuItems = [](QMenu& menu) {
            menu.addSeparator();
            menu.addAction(QStringLiteral("Later item"));
        };
        const QStringList suggestions = form->spelling->suggestions(QStringLiteral("rivr"));
        QVERIFY(!suggestions.isEmpty());
        QScopedPointer<QMenu> standard(today.createStandardContextMenu(pointAt(today, 19)));
        const QStringList after = QStringList{"|"} + textsOf(*standard)
            + QStringList{"|", "Check spelling", "Spelling language", "|", "Later item"};

        QScopedPointer<QMenu> marked(today.createContextMenu(pointAt(today, 19)));
        QCOMPARE(textsOf(*marked), suggestions + (QStringList{"Add to dictionary", "Ignore"}) + after);

        // On a known word the menu begins with the usual edit actions.
        QScopedPointer<QMenu> plain(today.createContextMenu(pointAt(today, 9)));
        QCOMPARE(textsOf(*plain), after.mid(1));
    }

    void suggestionReplacesTheWordAsAnEdit()
    {
        auto form = startLoaded();
        DayEditor& today = *form->Today;
        QScopedPointer<QMenu> menu(today.createContextMenu(pointAt(today, 17)));
        QAction* first = menu->actions().first();
        QCOMPARE(first->objectName(), QStringLiteral("suggestion1"));
        const QString word = first->text();
        first->trigger();
        QCOMPARE(today.text(), QStringLiteral("Walked along the %1 today").arg(word));
        QCOMPARE(today.textColour(), Grey);
        QCOMPARE(marksOf(today), {});
        MainFormFixture::clickDay(*form, 10);
        QCOMPARE(form->info(march4), QStringLiteral("Walked along the %1 today").arg(word));
    }

    void choicesAreRememberedInTheUsersSettingsFile()
    {
        {
            auto form = startLoaded();
            QCOMPARE(form->spelling->language(), QStringLiteral("en_US")); // the C locale of the tests
            QScopedPointer<QMenu> menu(form->Today->createContextMenu(pointAt(*form->Today, 0)));
            auto* languages = menu->findChild<QMenu*>(QStringLiteral("spellingLanguage"));
            QCOMPARE(textsOf(*languages), (QStringList{"English (United Kingdom)", "English (United States)"}));
            QVERIFY(languages->findChild<QAction*>(QStringLiteral("en_US"))->isChecked());
            languages->findChild<QAction*>(QStringLiteral("en_GB"))->trigger();
            menu->findChild<QAction*>(QStringLiteral("checkSpelling"))->trigger();
            QCOMPARE(marksOf(*form->Today), {});
            form->close();
        }
        const QString file = fx->dir.filePath(QStringLiteral("config/vistelle/vistelle.conf"));
        QCOMPARE(SpellingSettings::read(file), (SpellingSettings{false, QStringLiteral("en_GB")}));
        QVERIFY(!readFile(QStringLiteral("diary.dat")).contains("en_GB"));

        auto form = startLoaded();
        QCOMPARE(form->spelling->language(), QStringLiteral("en_GB"));
        QScopedPointer<QMenu> menu(form->Today->createContextMenu(pointAt(*form->Today, 0)));
        QAction* check = menu->findChild<QAction*>(QStringLiteral("checkSpelling"));
        QVERIFY(!check->isChecked());
        check->trigger();
        QCOMPARE(marksOf(*form->Today), (QList<QPair<int, int>>{{17, 4}}));
        QCOMPARE(SpellingSettings::read(file).check, true);
    }

    void menuWaitsForTheDictionaries()
    {
        auto form = fx->start();
        QVERIFY(!form->spelling->isLoaded());
        QScopedPointer<QMenu> menu(form->Today->createContextMenu(pointAt(*form->Today, 18)));
        QVERIFY(!menu->findChild<QAction*>(QStringLiteral("checkSpelling"))->isEnabled());
        QVERIFY(!menu->findChild<QMenu*>(QStringLiteral("spellingLanguage"))->isEnabled());
    }

    void withoutDictionariesTheMenuSaysSo()
    {
        setSpellProviderFactory([] { return std::make_unique<NoDictionaries>(); });
        auto form = startLoaded();
        QCOMPARE(marksOf(*form->Today), {});
        QScopedPointer<QMenu> menu(form->Today->createContextMenu(pointAt(*form->Today, 18)));
        QCOMPARE(textsOf(*menu).first(), QStringLiteral("&Undo\tCtrl+Z"));
        auto* languages = menu->findChild<QMenu*>(QStringLiteral("spellingLanguage"));
        QCOMPARE(textsOf(*languages), QStringList{"No spelling dictionary installed"});
        QVERIFY(!languages->actions().first()->isEnabled());
    }
};

QTEST_MAIN(TestSpelling)
#include "tst_spelling.moc"
