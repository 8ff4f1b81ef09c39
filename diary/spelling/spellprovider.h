#pragma once
// What the spell checker needs of a spelling library: the installed dictionaries, and
// for one of them the look-up, the suggestions and the user's own word list.

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace vistelle {

class SpellDictionary {
public:
    virtual ~SpellDictionary() = default;
    virtual bool check(const QString& word) = 0;
    // In the dictionary's own order, best first.
    virtual QStringList suggest(const QString& word) = 0;
    // Into the user's personal word list, kept for later runs.
    virtual void add(const QString& word) = 0;
};

class SpellProvider {
public:
    virtual ~SpellProvider() = default;
    // The language tags of the installed dictionaries ("en_GB", "en_US" …), sorted.
    virtual QStringList languages() = 0;
    // Null when the dictionary cannot be opened. A dictionary lives no longer than its provider.
    virtual std::unique_ptr<SpellDictionary> open(const QString& language) = 0;
};

using SpellProviderFactory = std::function<std::unique_ptr<SpellProvider>()>;

// The provider the day editor's checker loads: Enchant unless replaced. An empty
// factory means no spelling library at all (no dictionary installed).
SpellProviderFactory spellProviderFactory();
void setSpellProviderFactory(SpellProviderFactory factory);

} // namespace vistelle
