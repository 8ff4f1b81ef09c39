#include "diary/protect/protectedfile.h"
#include "core/error.h"
#include "diary/protect/protectedformat.h"

#include <sodium.h>

#include <QtEndian>

#include <cstring>

namespace vistelle::protect {

namespace {

static_assert(crypto_aead_xchacha20poly1305_ietf_NPUBBYTES == NonceSize);
static_assert(crypto_aead_xchacha20poly1305_ietf_ABYTES == TagSize);
static_assert(crypto_aead_xchacha20poly1305_ietf_KEYBYTES == KeySize);

const unsigned char* bytesOf(QByteArrayView v) { return reinterpret_cast<const unsigned char*>(v.data()); }

QByteArray checksumOf(QByteArrayView header)
{
    QByteArray sum(ChecksumSize, '\0');
    crypto_generichash(reinterpret_cast<unsigned char*>(sum.data()), ChecksumSize, bytesOf(header.first(ChecksumAt)),
                       ChecksumAt, nullptr, 0);
    return sum;
}

QByteArray headerFor(const DiaryKey& key, QByteArrayView nonce)
{
    QByteArray header(HeaderSize, '\0');
    char* h = header.data();
    std::memcpy(h, Magic, MagicSize);
    qToLittleEndian<quint16>(FormatVersion, h + VersionAt);
    qToLittleEndian<quint32>(key.params().opsLimit, h + OpsLimitAt);
    qToLittleEndian<quint32>(key.params().memLimitKiB, h + MemLimitAt);
    std::memcpy(h + SaltAt, key.params().salt.constData(), SaltSize);
    std::memcpy(h + KeyCheckAt, key.keyCheck().constData(), KeyCheckSize);
    std::memcpy(h + NonceAt, nonce.data(), NonceSize);
    const QByteArray sum = checksumOf(header);
    std::memcpy(h + ChecksumAt, sum.constData(), ChecksumSize);
    return header;
}

} // namespace

QString wrongPasswordMessage() { return QStringLiteral("Wrong password."); }

QString damagedMessage(const QString& fileName)
{
    return fmt(QStringLiteral("%s is damaged and cannot be decrypted."), fileName);
}

bool isProtected(QByteArrayView bytes)
{
    return bytes.size() >= 4 && std::memcmp(bytes.data(), Magic, 4) == 0;
}

KeyParams readParams(QByteArrayView file, const QString& fileName)
{
    initialiseSodium();
    if (file.size() < HeaderSize + TagSize || std::memcmp(file.data(), Magic, MagicSize) != 0
        || qFromLittleEndian<quint16>(file.data() + VersionAt) != FormatVersion
        || sodium_memcmp(checksumOf(file).constData(), file.data() + ChecksumAt, ChecksumSize) != 0)
        raise(damagedMessage(fileName));
    KeyParams params;
    params.opsLimit = qFromLittleEndian<quint32>(file.data() + OpsLimitAt);
    params.memLimitKiB = qFromLittleEndian<quint32>(file.data() + MemLimitAt);
    params.salt = file.sliced(SaltAt, SaltSize).toByteArray();
    if (!params.withinBounds()) raise(damagedMessage(fileName));
    return params;
}

bool keyMatches(QByteArrayView file, const DiaryKey& key)
{
    return file.size() >= HeaderSize && !key.isNull() && key.params().salt == file.sliced(SaltAt, SaltSize)
        && sodium_memcmp(key.keyCheck().constData(), file.data() + KeyCheckAt, KeyCheckSize) == 0;
}

QByteArray unsealImage(QByteArrayView file, const DiaryKey& key, const QString& fileName)
{
    const KeyParams params = readParams(file, fileName);
    if (params != key.params() || !keyMatches(file, key)) raise(wrongPasswordMessage());
    const QByteArrayView sealed = file.sliced(HeaderSize);
    QByteArray image(sealed.size() - TagSize, Qt::Uninitialized);
    unsigned long long length = 0;
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(reinterpret_cast<unsigned char*>(image.data()), &length, nullptr,
                                                   bytesOf(sealed), size_t(sealed.size()), bytesOf(file),
                                                   HeaderSize, bytesOf(file.sliced(NonceAt)), key.bytes()) != 0)
        raise(damagedMessage(fileName));
    return image;
}

QByteArray sealImageWithNonce(QByteArrayView image, const DiaryKey& key, QByteArrayView nonce)
{
    Q_ASSERT(nonce.size() == NonceSize && !key.isNull());
    QByteArray file = headerFor(key, nonce);
    file.resize(HeaderSize + image.size() + TagSize);
    unsigned long long length = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(reinterpret_cast<unsigned char*>(file.data()) + HeaderSize, &length,
                                               bytesOf(image), size_t(image.size()), bytesOf(file), HeaderSize,
                                               nullptr, bytesOf(nonce), key.bytes());
    return file;
}

QByteArray sealImage(QByteArrayView image, const DiaryKey& key)
{
    initialiseSodium();
    unsigned char nonce[NonceSize];
    randombytes_buf(nonce, NonceSize);
    return sealImageWithNonce(image, key, QByteArrayView(reinterpret_cast<const char*>(nonce), NonceSize));
}

} // namespace vistelle::protect
