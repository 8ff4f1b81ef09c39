#include "diary/protect/diarykey.h"
#include "core/error.h"
#include "diary/protect/protectedformat.h"

#include <sodium.h>

#include <QElapsedTimer>

#include <algorithm>
#include <cmath>

namespace vistelle::protect {

namespace {

constexpr double TargetSeconds = 0.6;
constexpr quint32 StartMemLimitKiB = 64 * 1024;

double secondsToDerive(const KeyParams& params)
{
    QElapsedTimer timer;
    timer.start();
    DiaryKey::derive("calibration", params);
    return std::max(timer.nsecsElapsed() / 1e9, 1e-4);
}

} // namespace

bool KeyParams::withinBounds() const
{
    return opsLimit >= MinOpsLimit && opsLimit <= MaxOpsLimit && memLimitKiB >= MinMemLimitKiB
        && memLimitKiB <= MaxMemLimitKiB && salt.size() == SaltSize;
}

DiaryKey DiaryKey::derive(QByteArrayView password, const KeyParams& params)
{
    static_assert(crypto_pwhash_SALTBYTES == SaltSize);
    if (!params.withinBounds()) raise(QStringLiteral("The password's key limits are out of bounds"));
    DiaryKey key;
    key.m_params = params;
    key.m_key = GuardedBytes(KeySize);
    if (crypto_pwhash(key.m_key.data(), KeySize, password.data(), size_t(password.size()),
                      reinterpret_cast<const unsigned char*>(params.salt.constData()), params.opsLimit,
                      size_t(params.memLimitKiB) * 1024, crypto_pwhash_ALG_ARGON2ID13) != 0)
        raise(QStringLiteral("Not enough memory to derive the diary's key"));
    return key;
}

// The time of a derivation grows with its passes from a fixed start (the memory is taken
// and first touched): one and two passes over 64 MiB measured give both, and the passes
// (up to the bound) or the memory are scaled to the target. A slow machine gets less memory
// rather than a longer wait.
KeyParams DiaryKey::freshParams()
{
    initialiseSodium();
    KeyParams params;
    params.salt.resize(SaltSize);
    randombytes_buf(params.salt.data(), SaltSize);
    params.memLimitKiB = StartMemLimitKiB;
    params.opsLimit = 1;
    const double one = secondsToDerive(params);
    params.opsLimit = 2;
    const double two = secondsToDerive(params);
    const double perPass = std::max(two - one, one / 4);
    const double start = std::max(one - perPass, 0.0);
    if (one > TargetSeconds) {
        params.opsLimit = 1;
        params.memLimitKiB = std::max<quint32>(8 * 1024, quint32(params.memLimitKiB * TargetSeconds / one));
        return params;
    }
    params.opsLimit = std::clamp<quint32>(quint32(std::lround((TargetSeconds - start) / perPass)), MinOpsLimit, MaxOpsLimit);
    const double expected = start + perPass * params.opsLimit;
    if (expected < TargetSeconds)
        params.memLimitKiB = std::min<quint32>(MaxMemLimitKiB, quint32(params.memLimitKiB * TargetSeconds / expected));
    return params;
}

QByteArray DiaryKey::keyCheck() const
{
    QByteArray check(KeyCheckSize, '\0');
    crypto_generichash(reinterpret_cast<unsigned char*>(check.data()), KeyCheckSize,
                       reinterpret_cast<const unsigned char*>(KeyCheckText), sizeof KeyCheckText - 1, m_key.data(),
                       m_key.size());
    return check;
}

} // namespace vistelle::protect
