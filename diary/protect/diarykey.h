#pragma once
// The key that protects a diary: derived from the password with Argon2id under the salt
// and limits chosen when the password was set, and held in guarded memory for the run.

#include "diary/protect/guardedbytes.h"

#include <QByteArray>

namespace vistelle::protect {

struct KeyParams {
    quint32 opsLimit = 0;
    quint32 memLimitKiB = 0;
    QByteArray salt;
    bool operator==(const KeyParams&) const = default;
    bool withinBounds() const;
};

class DiaryKey {
public:
    DiaryKey() = default;
    // Slow on purpose (the limits make it so); throws when the limits are out of bounds
    // or the memory cannot be had.
    static DiaryKey derive(QByteArrayView password, const KeyParams& params);
    // A random salt and limits that make a derivation take about half a second here.
    static KeyParams freshParams();

    bool isNull() const { return m_key.isEmpty(); }
    const KeyParams& params() const { return m_params; }
    const unsigned char* bytes() const { return m_key.data(); }
    // What the file keeps to tell a wrong password from damage.
    QByteArray keyCheck() const;

private:
    KeyParams m_params;
    GuardedBytes m_key;
};

} // namespace vistelle::protect
