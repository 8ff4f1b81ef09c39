#pragma once
// A small buffer in guarded memory: allocated apart from the heap between guard pages,
// locked out of swap, wiped when freed. Holds the diary key and passwords for the run.

#include <QByteArrayView>
#include <cstddef>

namespace vistelle::protect {

// Initialises the library once; throws when it cannot be used.
void initialiseSodium();

class GuardedBytes {
public:
    GuardedBytes() = default;
    explicit GuardedBytes(size_t size);
    explicit GuardedBytes(QByteArrayView bytes);
    GuardedBytes(const GuardedBytes& other);
    GuardedBytes& operator=(const GuardedBytes& other);
    GuardedBytes(GuardedBytes&& other) noexcept;
    GuardedBytes& operator=(GuardedBytes&& other) noexcept;
    ~GuardedBytes();

    unsigned char* data() { return m_data; }
    const unsigned char* data() const { return m_data; }
    size_t size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    QByteArrayView view() const { return {reinterpret_cast<const char*>(m_data), qsizetype(m_size)}; }
    bool operator==(const GuardedBytes& other) const;

private:
    void release();
    unsigned char* m_data = nullptr;
    size_t m_size = 0;
};

// Overwrites memory the compiler may not elide writing to.
void wipe(void* data, size_t size);

} // namespace vistelle::protect
