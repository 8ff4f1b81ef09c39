#pragma once
// The day editor's spell checker: the chosen dictionary, the run's ignored words and a
// cache of every word's result, so that after a key press only new words are looked up.
// The dictionary is loaded on a thread of its own (it takes a good part of a second), so
// that neither the first paint nor typing waits for it; until it is there nothing is
// marked. The choices of the menu are remembered in the settings file.

#include "diary/spelling/spellingsettings.h"
#include "diary/spelling/spellprovider.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <thread>

namespace vistelle {

// The desktop's language (localeName, "de_CH") when a dictionary for it is installed:
// that very one, else one for the language alone ("de"), else the first for the same
// language ("de_DE"); otherwise English (United States); otherwise the first installed.
// A saved choice that is still installed comes before all of these.
QString chooseLanguage(const QStringList& installed, const QString& saved, const QString& localeName);

class SpellChecker : public QObject {
    Q_OBJECT

public:
    static constexpr int MaxSuggestions = 6;

    explicit SpellChecker(QObject* parent = nullptr);
    ~SpellChecker() override; // waits for a load in progress

    // Where the choices are read from and remembered; empty: nowhere.
    QString settingsFile;
    // The desktop's language, e.g. "en_GB".
    QString localeName;

    // Reads the settings here and opens the provider and the dictionary on a thread;
    // `changed` follows on this thread once they are there. A second call does nothing.
    void loadInBackground(const SpellProviderFactory& makeProvider);
    // The same, at once.
    void load(std::unique_ptr<SpellProvider> provider);
    bool isLoaded() const { return m_loaded; }

    bool checking() const { return m_settings.check; }
    void setChecking(bool on);
    QStringList languages() const { return m_languages; }
    QString language() const { return m_language; }
    void setLanguage(const QString& language);

    // False while nothing is loaded, checking is off or no dictionary is installed.
    bool isActive() const { return m_loaded && m_settings.check && m_dictionary; }
    bool isMisspelt(QStringView word);
    // Up to MaxSuggestions, in the dictionary's order.
    QStringList suggestions(const QString& word);
    void addToDictionary(const QString& word);
    void ignore(const QString& word); // for this run

signals:
    // The marks may differ now: the text is to be checked anew.
    void changed();

private:
    struct Loaded;
    static std::shared_ptr<Loaded> open(std::unique_ptr<SpellProvider> provider, const SpellingSettings& settings,
                                        const QString& localeName);
    void adopt(Loaded& loaded);
    void remember();

    SpellingSettings m_settings;
    std::unique_ptr<SpellProvider> m_provider;
    std::unique_ptr<SpellDictionary> m_dictionary;
    QStringList m_languages;
    QString m_language;
    QSet<QString> m_ignored;
    QHash<QString, bool> m_misspelt;
    bool m_loaded = false;
    bool m_loading = false;
    std::thread m_loader;
};

} // namespace vistelle
