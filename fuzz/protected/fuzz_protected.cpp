// Feeds arbitrary bytes to the protected diary reader with one fixed key (derived once,
// with the smallest limits): a header must be checked before its limits are used, and
// what unseals must be the image that was sealed.

#include "core/error.h"
#include "diary/engine/tablereader.h"
#include "diary/protect/protectedfile.h"

#include <cstdlib>

using namespace vistelle;
using namespace vistelle::protect;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The key of the worked example, which the seed corpus holds.
    static const DiaryKey key = DiaryKey::derive("abc", {1, 8, QByteArray::fromHex("000102030405060708090A0B0C0D0E0F")});
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (!isProtected(bytes)) {
        // Treated as a plain table: sealing and unsealing it must give it back.
        if (unsealImage(sealImage(bytes, key), key, "diary.dat") != bytes) std::abort();
        return 0;
    }
    try {
        const KeyParams params = readParams(bytes, "diary.dat");
        if (!params.withinBounds()) std::abort();
        const QByteArray image = unsealImage(bytes, key, "diary.dat");
        TVolgaCursor cursor;
        TableReader(image, cursor).read();
    } catch (const Error&) {
    }
    return 0;
}
