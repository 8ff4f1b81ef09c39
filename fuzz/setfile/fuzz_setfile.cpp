// Set file reader: any bytes either fail with an error or give a list that writes, reads
// back and writes again to the same bytes.
#include "core/error.h"
#include "pictures/setfilereader.h"
#include "pictures/setfilewriter.h"
#include "pictures/tlmdgraphiclist.h"
#include "fuzz/fuzzsetup.h"

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    vistelle::fuzzing::setUpQt(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vistelle;
    TLMDGraphicList list;
    list.setObjectName("piclist2");
    try {
        readSetBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), list);
    } catch (const Error&) {
        return 0;
    }
    const QByteArray first = setFileBytes(list);
    TLMDGraphicList again;
    again.setObjectName(list.objectName());
    readSetBytes(first, again);
    if (setFileBytes(again) != first) std::abort();
    return 0;
}
