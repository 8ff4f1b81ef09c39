#include "diary/protect/guardedbytes.h"
#include "core/error.h"

#include <sodium.h>

#include <cstring>
#include <utility>

namespace vistelle::protect {

void initialiseSodium()
{
    static const int result = sodium_init();
    if (result < 0) raise(QStringLiteral("The encryption library cannot be initialised"));
}

GuardedBytes::GuardedBytes(size_t size)
{
    initialiseSodium();
    if (size == 0) return;
    m_data = static_cast<unsigned char*>(sodium_malloc(size));
    if (!m_data) throw std::bad_alloc();
    m_size = size;
    sodium_memzero(m_data, size);
}

GuardedBytes::GuardedBytes(QByteArrayView bytes) : GuardedBytes(size_t(bytes.size()))
{
    if (m_size) std::memcpy(m_data, bytes.data(), m_size);
}

GuardedBytes::GuardedBytes(const GuardedBytes& other) : GuardedBytes(other.view()) {}

GuardedBytes& GuardedBytes::operator=(const GuardedBytes& other)
{
    if (this != &other) *this = GuardedBytes(other);
    return *this;
}

GuardedBytes::GuardedBytes(GuardedBytes&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0))
{
}

GuardedBytes& GuardedBytes::operator=(GuardedBytes&& other) noexcept
{
    if (this != &other) {
        release();
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

GuardedBytes::~GuardedBytes() { release(); }

void GuardedBytes::release()
{
    if (m_data) sodium_free(m_data); // wipes before it frees
    m_data = nullptr;
    m_size = 0;
}

bool GuardedBytes::operator==(const GuardedBytes& other) const
{
    return m_size == other.m_size && (m_size == 0 || sodium_memcmp(m_data, other.m_data, m_size) == 0);
}

void wipe(void* data, size_t size)
{
    if (data && size) sodium_memzero(data, size);
}

} // namespace vistelle::protect
