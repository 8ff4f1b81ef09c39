#include "diary/spelling/enchantprovider.h"

#include <enchant.h>

namespace vistelle {

namespace {

class EnchantDictionary : public SpellDictionary {
public:
    EnchantDictionary(std::shared_ptr<EnchantBroker> broker, EnchantDict* dict)
        : m_broker(std::move(broker)), m_dict(dict)
    {
    }
    ~EnchantDictionary() override { enchant_broker_free_dict(m_broker.get(), m_dict); }

    // 0 is a known word; a negative result is Enchant's own failure, which marks nothing.
    bool check(const QString& word) override
    {
        const QByteArray w = word.toUtf8();
        return enchant_dict_check(m_dict, w.constData(), w.size()) <= 0;
    }

    QStringList suggest(const QString& word) override
    {
        const QByteArray w = word.toUtf8();
        size_t count = 0;
        char** list = enchant_dict_suggest(m_dict, w.constData(), w.size(), &count);
        QStringList out;
        for (size_t i = 0; i < count; ++i) out << QString::fromUtf8(list[i]);
        if (list) enchant_dict_free_string_list(m_dict, list);
        return out;
    }

    void add(const QString& word) override
    {
        const QByteArray w = word.toUtf8();
        enchant_dict_add(m_dict, w.constData(), w.size());
    }

private:
    std::shared_ptr<EnchantBroker> m_broker;
    EnchantDict* m_dict;
};

void addTag(const char* const tag, const char* const, const char* const, const char* const, void* data)
{
    auto* tags = static_cast<QStringList*>(data);
    const QString t = QString::fromUtf8(tag);
    if (!tags->contains(t)) tags->append(t);
}

} // namespace

EnchantProvider::EnchantProvider() : m_broker(enchant_broker_init(), enchant_broker_free) {}

QStringList EnchantProvider::languages()
{
    QStringList tags;
    if (m_broker) enchant_broker_list_dicts(m_broker.get(), addTag, &tags);
    tags.sort();
    return tags;
}

std::unique_ptr<SpellDictionary> EnchantProvider::open(const QString& language)
{
    if (!m_broker) return nullptr;
    EnchantDict* dict = enchant_broker_request_dict(m_broker.get(), language.toUtf8().constData());
    if (!dict) return nullptr;
    return std::make_unique<EnchantDictionary>(m_broker, dict);
}

} // namespace vistelle
