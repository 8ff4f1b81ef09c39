#pragma once
// The installed dictionaries through Enchant 2 (Hunspell's and any other its providers
// find). The user's added words go to Enchant's personal word list, a plain text file
// in Enchant's configuration folder.

#include "diary/spelling/spellprovider.h"

struct str_enchant_broker;

namespace vistelle {

class EnchantProvider : public SpellProvider {
public:
    EnchantProvider();
    QStringList languages() override;
    std::unique_ptr<SpellDictionary> open(const QString& language) override;

private:
    std::shared_ptr<str_enchant_broker> m_broker;
};

} // namespace vistelle
