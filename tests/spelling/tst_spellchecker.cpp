// The spell checker without a window: which words are looked up, the language chosen,
// the settings file, and the checker over the installed Enchant dictionaries (en_US and
// en_GB) with a personal word list in a temporary folder.

#include "diary/spelling/enchantprovider.h"
#include "diary/spelling/spellchecker.h"
#include "diary/spelling/spellwords.h"
#include "tests/spelling/nodictionaries.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace vistelle;
using namespace vistelle::testing;

namespace {

QStringList wordsOf(const QString& text)
{
    QStringList out;
    for (const WordRange& w : wordsToCheck(text)) out << text.mid(w.start, w.length);
    return out;
}

} // namespace

class TestSpellChecker : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString settingsFile() const { return m_dir.filePath(QStringLiteral("config/vistelle/vistelle.conf")); }

    std::unique_ptr<SpellChecker> loadedChecker(const QString& locale = QStringLiteral("en_US"))
    {
        auto checker = std::make_unique<SpellChecker>();
        checker->settingsFile = settingsFile();
        checker->localeName = locale;
        checker->load(std::make_unique<EnchantProvider>());
        return checker;
    }

private slots:
    void initTestCase()
    {
        // Enchant keeps the personal word lists here.
        qputenv("ENCHANT_CONFIG_DIR", m_dir.filePath(QStringLiteral("enchant")).toUtf8());
    }

    void cleanup() { QFile::remove(settingsFile()); }

    void wordsLookedUp_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("sentence") << "Walked along the rivr." << QStringList{"Walked", "along", "the", "rivr"};
        QTest::newRow("apostrophes inside") << "don't can’t 'quoted' students'"
                                            << QStringList{"don't", "can’t", "quoted", "students"};
        QTest::newRow("hyphen separates") << "well-known e-mail" << QStringList{"well", "known", "e", "mail"};
        QTest::newRow("numbers and digits") << "12 3.5 2nd A4 mp3 1,000 x²" << QStringList{};
        QTest::newRow("all capitals") << "NASA and the BBC, I, OK" << QStringList{"and", "the"};
        QTest::newRow("mixed capitals") << "McDonald iPhone GmbH" << QStringList{"McDonald", "iPhone", "GmbH"};
        QTest::newRow("web addresses") << "see https://exmple.org/pth and (www.exmple.com) or ftp://x.y"
                                       << QStringList{"see", "and", "or"};
        QTest::newRow("e-mail addresses") << "mail jon.doe@exmple.co.uk, mailto:jon@x.org; me@home"
                                          << QStringList{"mail", "me", "home"};
        QTest::newRow("accents and other scripts") << "naïve café Ärger ελληνικά"
                                                   << QStringList{"naïve", "café", "Ärger", "ελληνικά"};
        QTest::newRow("letters beyond 16 bits") << "𝒶𝒷 word" << QStringList{"𝒶𝒷", "word"};
        QTest::newRow("line of blanks") << " \t " << QStringList{};
    }

    void wordsLookedUp()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, words);
        QCOMPARE(wordsOf(text), words);
    }

    void wordAtPositionIncludesItsEnd()
    {
        const QString text = QStringLiteral("one twoo 42");
        QCOMPARE(wordToCheckAt(text, 4), (WordRange{4, 4}));
        QCOMPARE(wordToCheckAt(text, 8), (WordRange{4, 4}));
        QVERIFY(!wordToCheckAt(text, 10)); // a number
    }

    void languageChosen_data()
    {
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("chosen");
        const QStringList en{"en_GB", "en_US"};
        QTest::newRow("the desktop's") << en << "" << "en_GB" << "en_GB";
        QTest::newRow("saved first") << en << "en_US" << "en_GB" << "en_US";
        QTest::newRow("saved, no longer installed") << en << "fr_FR" << "en_GB" << "en_GB";
        QTest::newRow("C locale: en_US") << en << "" << "C" << "en_US";
        QTest::newRow("other language: en_US") << QStringList{"de_DE", "en_GB", "en_US"} << "" << "fr_FR" << "en_US";
        QTest::newRow("same language, other country") << QStringList{"de_AT", "de_DE", "en_US"} << "" << "de_CH" << "de_AT";
        QTest::newRow("language alone") << QStringList{"de", "de_DE"} << "" << "de_CH" << "de";
        QTest::newRow("no English: the first") << QStringList{"de_DE", "fr_FR"} << "" << "C" << "de_DE";
        QTest::newRow("none installed") << QStringList{} << "en_US" << "en_US" << "";
    }

    void languageChosen()
    {
        QFETCH(QStringList, installed);
        QFETCH(QString, saved);
        QFETCH(QString, locale);
        QFETCH(QString, chosen);
        QCOMPARE(chooseLanguage(installed, saved, locale), chosen);
    }

    void settingsFileRoundTripKeepsOtherKeys()
    {
        QVERIFY(QDir().mkpath(QFileInfo(settingsFile()).path()));
        QFile f(settingsFile());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Other]\nKey=1\n");
        f.close();
        QCOMPARE(SpellingSettings::read(settingsFile()), SpellingSettings{});
        const SpellingSettings s{false, QStringLiteral("en_GB")};
        QVERIFY(s.write(settingsFile()));
        QCOMPARE(SpellingSettings::read(settingsFile()), s);
        QVERIFY(QSettings(settingsFile(), QSettings::IniFormat).value("Other/Key").toInt() == 1);
        QCOMPARE(SpellingSettings::read(m_dir.filePath("missing.conf")), SpellingSettings{});
    }

    void misspeltWordsFollowTheLanguage()
    {
        auto checker = loadedChecker();
        QVERIFY(checker->isActive());
        QCOMPARE(checker->languages(), (QStringList{"en_GB", "en_US"}));
        QCOMPARE(checker->language(), QStringLiteral("en_US"));
        for (const QString& w : wordsOf(QStringLiteral("The quick brown fox doesn't jump over the lazy dog; it can’t.")))
            QVERIFY2(!checker->isMisspelt(w), qPrintable(w));
        QVERIFY(checker->isMisspelt(QStringLiteral("rivr")));
        QVERIFY(checker->isMisspelt(QStringLiteral("colour")));

        QSignalSpy changed(checker.get(), &SpellChecker::changed);
        checker->setLanguage(QStringLiteral("en_GB"));
        QCOMPARE(changed.count(), 1);
        QVERIFY(!checker->isMisspelt(QStringLiteral("colour")));
        QCOMPARE(SpellingSettings::read(settingsFile()).language, QStringLiteral("en_GB"));
        // The next run starts with the language chosen, whatever the desktop's.
        QCOMPARE(loadedChecker(QStringLiteral("C"))->language(), QStringLiteral("en_GB"));
    }

    void suggestionsAreTheDictionarysFirstSix()
    {
        auto checker = loadedChecker();
        EnchantProvider enchant;
        const QStringList all = enchant.open(QStringLiteral("en_US"))->suggest(QStringLiteral("helo"));
        QVERIFY(all.size() > SpellChecker::MaxSuggestions);
        QCOMPARE(checker->suggestions(QStringLiteral("helo")), all.mid(0, SpellChecker::MaxSuggestions));
    }

    void addedWordGoesToThePersonalListIgnoredOnlyForTheRun()
    {
        auto checker = loadedChecker();
        QVERIFY(checker->isMisspelt(QStringLiteral("Vistellish")));
        QVERIFY(checker->isMisspelt(QStringLiteral("frobnicate")));
        checker->addToDictionary(QStringLiteral("Vistellish"));
        checker->ignore(QStringLiteral("frobnicate"));
        QVERIFY(!checker->isMisspelt(QStringLiteral("Vistellish")));
        QVERIFY(!checker->isMisspelt(QStringLiteral("frobnicate")));
        // Enchant's personal word list is plain text.
        QFile list(m_dir.filePath(QStringLiteral("enchant/en_US.dic")));
        QVERIFY(list.open(QIODevice::ReadOnly));
        QVERIFY(list.readAll().split('\n').contains("Vistellish"));

        checker.reset();
        auto next = loadedChecker();
        QVERIFY(!next->isMisspelt(QStringLiteral("Vistellish")));
        QVERIFY(next->isMisspelt(QStringLiteral("frobnicate")));
    }

    void checkingOffMarksNothingAndIsRemembered()
    {
        auto checker = loadedChecker();
        checker->setChecking(false);
        QVERIFY(!checker->isMisspelt(QStringLiteral("rivr")));
        QCOMPARE(SpellingSettings::read(settingsFile()).check, false);
        auto next = loadedChecker();
        QVERIFY(!next->checking());
        QVERIFY(!next->isActive());
    }

    void withoutDictionariesNothingIsMarked()
    {
        SpellChecker checker;
        checker.load(std::make_unique<NoDictionaries>());
        QVERIFY(checker.isLoaded());
        QVERIFY(!checker.isActive());
        QVERIFY(checker.languages().isEmpty());
        QVERIFY(!checker.isMisspelt(QStringLiteral("rivr")));
        QVERIFY(checker.suggestions(QStringLiteral("rivr")).isEmpty());
        checker.setLanguage(QStringLiteral("en_US"));
        QVERIFY(!checker.isActive());
    }

    void checkerGoneBeforeTheLoadEnds()
    {
        auto checker = std::make_unique<SpellChecker>();
        checker->loadInBackground([] { return std::make_unique<EnchantProvider>(); });
        checker.reset();
        QCoreApplication::processEvents();
    }
};

QTEST_GUILESS_MAIN(TestSpellChecker)
#include "tst_spellchecker.moc"
