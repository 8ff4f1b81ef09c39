#include "diary/protect/protectedfile.h"
#include "core/error.h"
#include "core/wholefile.h"
#include "diary/protect/protectedformat.h"
#include "diary/protect/twocoreseal.h"

#include <sodium.h>

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace vistelle::protect {

namespace {

static_assert(crypto_aead_xchacha20poly1305_ietf_NPUBBYTES == NonceSize);
static_assert(crypto_aead_xchacha20poly1305_ietf_ABYTES == TagSize);
static_assert(crypto_aead_xchacha20poly1305_ietf_KEYBYTES == KeySize);

const unsigned char* bytesOf(QByteArrayView v) { return reinterpret_cast<const unsigned char*>(v.data()); }
unsigned char* bytesOf(char* p) { return reinterpret_cast<unsigned char*>(p); }

// The seal's associated data is the header; its nonce is the header's.
Aead aeadOf(const char* header, const DiaryKey& key)
{
    return {bytesOf(QByteArrayView(header, HeaderSize)), HeaderSize, bytesOf(QByteArrayView(header + NonceAt, NonceSize)),
            key.bytes()};
}

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

QByteArray unsealImage(QByteArray file, const DiaryKey& key, const QString& fileName)
{
    const KeyParams params = readParams(file, fileName);
    if (params != key.params() || !keyMatches(file, key)) raise(wrongPasswordMessage());
    const qsizetype length = file.size() - HeaderSize - TagSize;
    const char* sealed = file.constData() + HeaderSize;
    const char* tag = sealed + length;
    // A file held nowhere else is opened in place: the image is then a part of its bytes.
    if (file.isDetached()) {
        char* data = file.data();
        if (!openDetached(bytesOf(data + HeaderSize), bytesOf(data + HeaderSize), size_t(length), bytesOf(tag),
                          aeadOf(data, key)))
            raise(damagedMessage(fileName));
        return sharedPart(file, HeaderSize, length);
    }
    QByteArray image(length, Qt::Uninitialized);
    if (!openDetached(bytesOf(image.data()), bytesOf(sealed), size_t(length), bytesOf(tag),
                      aeadOf(file.constData(), key)))
        raise(damagedMessage(fileName));
    return image;
}

QByteArray sealImageWithNonce(QByteArrayView image, const DiaryKey& key, QByteArrayView nonce)
{
    Q_ASSERT(nonce.size() == NonceSize && !key.isNull());
    QByteArray file = headerFor(key, nonce);
    file.resize(HeaderSize + image.size() + TagSize);
    char* data = file.data();
    sealDetached(bytesOf(data + HeaderSize), bytesOf(data + HeaderSize + image.size()), bytesOf(image),
                 size_t(image.size()), aeadOf(data, key));
    return file;
}

QByteArray sealImage(QByteArrayView image, const DiaryKey& key)
{
    initialiseSodium();
    char nonce[NonceSize];
    randombytes_buf(nonce, NonceSize);
    return sealImageWithNonce(image, key, QByteArrayView(nonce, NonceSize));
}

SealInProgress::SealInProgress(const QByteArray& image, const DiaryKey& key)
    : m_image(image), m_file(HeaderSize + image.size() + TagSize, Qt::Uninitialized), m_data(m_file.data())
{
    initialiseSodium();
    char nonce[NonceSize];
    randombytes_buf(nonce, NonceSize);
    std::memcpy(m_data, headerFor(key, QByteArrayView(nonce, NonceSize)).constData(), HeaderSize);
    try {
        m_thread = std::thread([this, &key] { seal(key); });
    } catch (...) {
        seal(key); // no thread to be had: sealed here, before anything is written
    }
}

SealInProgress::~SealInProgress()
{
    if (m_thread.joinable()) m_thread.join();
}

void SealInProgress::seal(const DiaryKey& key)
{
    // Each byte is written once, before ready() hands it out.
    unsigned char* data = bytesOf(m_data);
    const auto length = size_t(m_image.size());
    const auto publish = [this](qsizetype final) {
        m_ready.store(final, std::memory_order_release);
        m_ready.notify_all();
    };
    sealDetached(data + HeaderSize, data + HeaderSize + length, bytesOf(m_image), length,
                 aeadOf(m_file.constData(), key), [&](size_t upTo) { publish(HeaderSize + qsizetype(upTo)); });
    publish(m_file.size());
}

qsizetype SealInProgress::ready(qsizetype atLeast) const
{
    atLeast = std::min(atLeast, m_file.size());
    qsizetype now = m_ready.load(std::memory_order_acquire);
    while (now < atLeast) {
        m_ready.wait(now, std::memory_order_acquire);
        now = m_ready.load(std::memory_order_acquire);
    }
    return now;
}

} // namespace vistelle::protect
