// Icon checks and drawing of the first image.
#include "core/error.h"
#include "pictures/icongraphic.h"
#include "pictures/picture.h"
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
        const Picture p(std::make_shared<IconGraphic>(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size))));
        p.render(QSize(32, 32));
    } catch (const Error&) {
    }
    return 0;
}
