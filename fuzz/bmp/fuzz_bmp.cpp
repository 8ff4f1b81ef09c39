// BMP checks and decoding as the bitmap kind does them, and the stored form.
#include "core/error.h"
#include "pictures/bitmapgraphic.h"
#include "fuzz/fuzzsetup.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    vistelle::fuzzing::setUpQt(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vistelle;
    try {
        auto g = BitmapGraphic::fromFile(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
        g->classData();
    } catch (const Error&) {
    }
    return 0;
}
