// Metafile checks, both as a dropped file and as stored class data.
#include "core/error.h"
#include "pictures/bytereader.h"
#include "pictures/graphickinds.h"
#include "pictures/metafilecheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vistelle;
    metafile::check(data, size);
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        ByteReader in(bytes);
        if (GraphicPtr g = readClassData("TMetafile", in)) g->classData();
    } catch (const Error&) {
    }
    return 0;
}
