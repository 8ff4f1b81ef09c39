#include "diary/protect/twocoreseal.h"

#include <sodium.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <thread>

namespace vistelle::protect {

namespace {

// A piece is a whole number of 64-byte cipher blocks; messages below two pieces are left
// to one thread, where starting another would cost more than it saves.
constexpr std::size_t PieceSize = 256 * 1024;
constexpr std::size_t BlockSize = 64;

// The subkey and stream nonce of XChaCha20 and the authenticator's state, wiped at the end.
class Construction {
public:
    explicit Construction(const Aead& aead)
    {
        crypto_core_hchacha20(m_subkey, aead.nonce, aead.key, nullptr);
        std::memcpy(m_streamNonce + 4, aead.nonce + crypto_core_hchacha20_INPUTBYTES, 8);
        unsigned char block0[BlockSize];
        crypto_stream_chacha20_ietf(block0, sizeof block0, m_streamNonce, m_subkey);
        crypto_onetimeauth_poly1305_init(&m_mac, block0);
        sodium_memzero(block0, sizeof block0);
        authenticate(aead.ad, aead.adLength);
        pad(aead.adLength);
    }
    ~Construction()
    {
        sodium_memzero(m_subkey, sizeof m_subkey);
        sodium_memzero(&m_mac, sizeof m_mac);
    }
    Construction(const Construction&) = delete;
    Construction& operator=(const Construction&) = delete;

    // Block 0 keys the authenticator; the message starts at block 1.
    void crypt(unsigned char* out, const unsigned char* in, std::size_t from, std::size_t length) const
    {
        crypto_stream_chacha20_ietf_xor_ic(out + from, in + from, length, m_streamNonce,
                                           uint32_t(1 + from / BlockSize), m_subkey);
    }
    void authenticate(const unsigned char* bytes, std::size_t length)
    {
        crypto_onetimeauth_poly1305_update(&m_mac, bytes, length);
    }
    void finish(std::size_t adLength, std::size_t length, unsigned char tag[16])
    {
        pad(length);
        unsigned char lengths[16];
        for (int i = 0; i < 8; ++i) {
            lengths[i] = static_cast<unsigned char>(uint64_t(adLength) >> (8 * i));
            lengths[8 + i] = static_cast<unsigned char>(uint64_t(length) >> (8 * i));
        }
        authenticate(lengths, sizeof lengths);
        crypto_onetimeauth_poly1305_final(&m_mac, tag);
    }

private:
    void pad(std::size_t length)
    {
        static const unsigned char zeros[16] = {};
        authenticate(zeros, (16 - length % 16) % 16);
    }

    unsigned char m_subkey[crypto_stream_chacha20_ietf_KEYBYTES];
    unsigned char m_streamNonce[crypto_stream_chacha20_ietf_NONCEBYTES] = {};
    crypto_onetimeauth_poly1305_state m_mac;
};

// The pieces of one message, each encrypted once by whichever thread claims it first.
struct Pieces {
    std::size_t length;
    std::size_t count = (length + PieceSize - 1) / PieceSize;
    std::atomic<std::size_t> next{0};

    std::size_t from(std::size_t i) const { return i * PieceSize; }
    std::size_t size(std::size_t i) const { return std::min(PieceSize, length - from(i)); }
    std::size_t claim() { return next.fetch_add(1, std::memory_order_relaxed); }
};

// Runs helper on a second thread while work runs here; without a thread, work does it all.
template <typename Helper, typename Work>
void onTwoCores(std::size_t length, Helper helper, Work work)
{
    std::thread second;
    if (length >= 2 * PieceSize && std::thread::hardware_concurrency() > 1) {
        try {
            second = std::thread(helper);
        } catch (...) {
        }
    }
    work();
    if (second.joinable()) second.join();
}

} // namespace

void sealDetached(unsigned char* c, unsigned char tag[16], const unsigned char* m, std::size_t length, const Aead& aead,
                  const std::function<void(std::size_t)>& sealedUpTo)
{
    Construction construction(aead);
    Pieces pieces{length};
    // A piece is authenticated once encrypted, in order; meanwhile this thread encrypts too.
    const auto encrypted = std::make_unique<std::atomic<bool>[]>(pieces.count);
    auto encrypt = [&](std::size_t i) {
        construction.crypt(c, m, pieces.from(i), pieces.size(i));
        encrypted[i].store(true, std::memory_order_release);
        encrypted[i].notify_one();
    };
    onTwoCores(
        length,
        [&] {
            for (std::size_t i; (i = pieces.claim()) < pieces.count;) encrypt(i);
        },
        [&] {
            for (std::size_t i = 0; i < pieces.count; ++i) {
                while (!encrypted[i].load(std::memory_order_acquire)) {
                    const std::size_t j = pieces.claim();
                    if (j < pieces.count) encrypt(j);
                    else encrypted[i].wait(false, std::memory_order_acquire);
                }
                construction.authenticate(c + pieces.from(i), pieces.size(i));
                if (sealedUpTo) sealedUpTo(pieces.from(i) + pieces.size(i));
            }
        });
    construction.finish(aead.adLength, length, tag);
}

bool openDetached(unsigned char* m, const unsigned char* c, std::size_t length, const unsigned char tag[16],
                  const Aead& aead)
{
    Construction construction(aead);
    Pieces pieces{length};
    // Opened in place, a piece is decrypted only once authenticated, in order.
    std::atomic<std::size_t> authenticated{m == c ? 0 : pieces.count};
    auto decryptClaimed = [&] {
        for (std::size_t i; (i = pieces.claim()) < pieces.count;) {
            for (std::size_t done; (done = authenticated.load(std::memory_order_acquire)) <= i;)
                authenticated.wait(done, std::memory_order_acquire);
            construction.crypt(m, c, pieces.from(i), pieces.size(i));
        }
    };
    onTwoCores(length, decryptClaimed, [&] {
        for (std::size_t i = 0; i < pieces.count; ++i) {
            construction.authenticate(c + pieces.from(i), pieces.size(i));
            if (m == c) {
                authenticated.store(i + 1, std::memory_order_release);
                authenticated.notify_one();
            }
        }
        decryptClaimed();
    });
    unsigned char computed[16];
    construction.finish(aead.adLength, length, computed);
    const bool good = crypto_verify_16(computed, tag) == 0;
    sodium_memzero(computed, sizeof computed);
    if (!good) sodium_memzero(m, length);
    return good;
}

} // namespace vistelle::protect
