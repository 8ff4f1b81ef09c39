#include "diary/spelling/spellprovider.h"
#include "diary/spelling/enchantprovider.h"

namespace vistelle {

namespace {
SpellProviderFactory& current()
{
    static SpellProviderFactory factory = [] { return std::unique_ptr<SpellProvider>(new EnchantProvider); };
    return factory;
}
} // namespace

SpellProviderFactory spellProviderFactory() { return current(); }

void setSpellProviderFactory(SpellProviderFactory factory) { current() = std::move(factory); }

} // namespace vistelle
