// BMP checks and decoding as the bitmap kind does them, and the stored form.
#include "core/error.h"
#include "pictures/bitmapgraphic.h"

#include <QCoreApplication>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {}); // decoder chatter
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
