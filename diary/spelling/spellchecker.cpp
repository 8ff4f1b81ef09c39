#include "diary/spelling/spellchecker.h"

#include <QLocale>

namespace vistelle {

QString chooseLanguage(const QStringList& installed, const QString& saved, const QString& localeName)
{
    if (installed.isEmpty()) return {};
    if (!saved.isEmpty() && installed.contains(saved)) return saved;
    const QString tag = QString(localeName).replace(u'-', u'_');
    const QString lang = tag.section(u'_', 0, 0);
    if (installed.contains(tag)) return tag;
    if (!lang.isEmpty() && installed.contains(lang)) return lang;
    for (const QString& t : installed) {
        if (!lang.isEmpty() && t.section(u'_', 0, 0) == lang) return t;
    }
    if (installed.contains(QStringLiteral("en_US"))) return QStringLiteral("en_US");
    return installed.first();
}

struct SpellChecker::Loaded {
    std::unique_ptr<SpellProvider> provider;
    QStringList languages;
    QString language;
    std::unique_ptr<SpellDictionary> dictionary;
    ~Loaded() { dictionary.reset(); } // before its provider
};

SpellChecker::SpellChecker(QObject* parent) : QObject(parent), localeName(QLocale::system().name()) {}

SpellChecker::~SpellChecker()
{
    if (m_loader.joinable()) m_loader.join();
    m_dictionary.reset();
}

std::shared_ptr<SpellChecker::Loaded> SpellChecker::open(std::unique_ptr<SpellProvider> provider,
                                                         const SpellingSettings& settings, const QString& localeName)
{
    auto loaded = std::make_shared<Loaded>();
    loaded->provider = std::move(provider);
    if (!loaded->provider) return loaded;
    loaded->languages = loaded->provider->languages();
    loaded->language = chooseLanguage(loaded->languages, settings.language, localeName);
    if (!loaded->language.isEmpty()) loaded->dictionary = loaded->provider->open(loaded->language);
    return loaded;
}

void SpellChecker::loadInBackground(const SpellProviderFactory& makeProvider)
{
    if (m_loading || m_loaded) return;
    m_loading = true;
    m_settings = SpellingSettings::read(settingsFile);
    m_loader = std::thread([this, makeProvider, settings = m_settings, locale = localeName] {
        std::shared_ptr<Loaded> loaded = open(makeProvider ? makeProvider() : nullptr, settings, locale);
        // Dropped unread when the checker is gone before it runs.
        QMetaObject::invokeMethod(this, [this, loaded] { adopt(*loaded); }, Qt::QueuedConnection);
    });
}

void SpellChecker::load(std::unique_ptr<SpellProvider> provider)
{
    if (m_loading || m_loaded) return;
    m_settings = SpellingSettings::read(settingsFile);
    std::shared_ptr<Loaded> loaded = open(std::move(provider), m_settings, localeName);
    adopt(*loaded);
}

void SpellChecker::adopt(Loaded& loaded)
{
    if (m_loader.joinable()) m_loader.join();
    m_loading = false;
    m_loaded = true;
    m_dictionary = std::move(loaded.dictionary);
    m_provider = std::move(loaded.provider);
    m_languages = loaded.languages;
    m_language = m_dictionary ? loaded.language : QString();
    m_misspelt.clear();
    emit changed();
}

void SpellChecker::remember() { m_settings.write(settingsFile); }

void SpellChecker::setChecking(bool on)
{
    if (m_settings.check == on) return;
    m_settings.check = on;
    remember();
    emit changed();
}

void SpellChecker::setLanguage(const QString& language)
{
    if (!m_provider || !m_languages.contains(language)) return;
    m_settings.language = language;
    remember();
    if (language == m_language && m_dictionary) return;
    m_dictionary.reset();
    m_dictionary = m_provider->open(language);
    m_language = m_dictionary ? language : QString();
    m_misspelt.clear();
    emit changed();
}

bool SpellChecker::isMisspelt(QStringView word)
{
    if (!isActive()) return false;
    // Looked up without a copy of the word: a key press checks every word of its paragraph.
    const QString key = QString::fromRawData(word.data(), word.size());
    auto it = m_misspelt.constFind(key);
    if (it != m_misspelt.constEnd()) return *it;
    const QString copy = word.toString();
    const bool misspelt = !m_ignored.contains(copy) && !m_dictionary->check(copy);
    m_misspelt.insert(copy, misspelt);
    return misspelt;
}

QStringList SpellChecker::suggestions(const QString& word)
{
    if (!isActive()) return {};
    return m_dictionary->suggest(word).mid(0, MaxSuggestions);
}

void SpellChecker::addToDictionary(const QString& word)
{
    if (!isActive()) return;
    m_dictionary->add(word);
    m_misspelt.insert(word, false);
    emit changed();
}

void SpellChecker::ignore(const QString& word)
{
    m_ignored.insert(word);
    m_misspelt.insert(word, false);
    emit changed();
}

} // namespace vistelle
