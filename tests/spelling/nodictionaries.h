#pragma once
// A spelling library with no dictionary installed at all.

#include "diary/spelling/spellprovider.h"

namespace vistelle::testing {

class NoDictionaries : public SpellProvider {
public:
    QStringList languages() override { return {}; }
    std::unique_ptr<SpellDictionary> open(const QString&) override { return nullptr; }
};

} // namespace vistelle::testing
