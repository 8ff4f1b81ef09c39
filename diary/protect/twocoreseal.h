#pragma once
// XChaCha20-Poly1305 (the IETF construction) over a large message on two cores. The
// stream cipher's blocks are independent, so the message is cut into pieces that two
// threads encrypt, while one thread runs the one-time authenticator over the ciphertext
// in order. The bytes are those of crypto_aead_xchacha20poly1305_ietf_*_detached.

#include <cstddef>
#include <functional>

namespace vistelle::protect {

struct Aead {
    const unsigned char* ad;
    std::size_t adLength;
    const unsigned char* nonce; // 24 bytes
    const unsigned char* key;   // 32 bytes
};

// c may be m (sealed in place). sealedUpTo, when given, is told each time the ciphertext's
// first bytes grow final, up to the whole length before the tag is.
void sealDetached(unsigned char* c, unsigned char tag[16], const unsigned char* m, std::size_t length, const Aead& aead,
                  const std::function<void(std::size_t)>& sealedUpTo = {});

// m may be c (opened in place). False when the tag does not match: m is then cleared.
bool openDetached(unsigned char* m, const unsigned char* c, std::size_t length, const unsigned char tag[16],
                  const Aead& aead);

} // namespace vistelle::protect
