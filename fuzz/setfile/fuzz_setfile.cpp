// Set file reader: any bytes either fail with an error or give a list that writes, reads
// back and writes again to the same bytes; reading aside fails alike and changes nothing then.
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

namespace {

// Reading aside fails exactly where reading in place fails, and then leaves the list as it was.
bool readAsideAgrees(const QByteArray& bytes, bool inPlaceFailed)
{
    using namespace vistelle;
    TLMDGraphicList list;
    list.setObjectName("piclist2");
    list.Graphics().add().setName("kept");
    list.setLeft(7);
    const QByteArray before = setFileBytes(list);
    try {
        readSetBytesWhole(bytes, list);
    } catch (const Error&) {
        return inPlaceFailed && setFileBytes(list) == before;
    }
    return !inPlaceFailed;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vistelle;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    TLMDGraphicList list;
    list.setObjectName("piclist2");
    bool failed = false;
    try {
        readSetBytes(bytes, list);
    } catch (const Error&) {
        failed = true;
    }
    if (!readAsideAgrees(bytes, failed)) std::abort();
    if (failed) return 0;
    const QByteArray first = setFileBytes(list);
    TLMDGraphicList again;
    again.setObjectName(list.objectName());
    readSetBytes(first, again);
    if (setFileBytes(again) != first) std::abort();
    return 0;
}
