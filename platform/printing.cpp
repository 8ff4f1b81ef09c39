#include "platform/printing.h"

#include "core/error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <memory>

namespace vistelle {

namespace {

PrintService* installed = nullptr;

// The system's printers through the module, loaded at the first need and kept.
class ModulePrintService : public PrintService {
public:
    bool choosePrinter(QWidget* parent) override { return module().choosePrinter(parent); }

    void printPage(const QImage& page) override
    {
        const QString failure = module().printPage(page);
        if (!failure.isEmpty()) raise(failure);
    }

private:
    PrintModule& module()
    {
        if (!m_module) m_module.reset(loadPrintModule(findModule()));
        return *m_module;
    }

    static QString findModule()
    {
        const QStringList candidates = printModuleCandidates(QCoreApplication::applicationDirPath());
        for (const QString& path : candidates) {
            if (QFileInfo::exists(path)) return path;
        }
        return candidates.first();
    }

    std::unique_ptr<PrintModule> m_module;
};

} // namespace

PrintService& printService()
{
    static ModulePrintService system;
    return installed ? *installed : system;
}

void setPrintService(PrintService* service) { installed = service; }

QStringList printModuleCandidates(const QString& programFolder)
{
    const QDir dir(programFolder);
    return {dir.filePath(QLatin1String(PrintModuleFile)),
            QDir::cleanPath(dir.filePath(QStringLiteral(VISTELLE_PRINT_MODULE_FROM_BIN "/") + QLatin1String(PrintModuleFile)))};
}

PrintModule* loadPrintModule(const QString& path)
{
    // The module stays loaded for the rest of the run, also when the QLibrary goes.
    QLibrary library(path);
    using Create = PrintModule* (*)();
    auto create = reinterpret_cast<Create>(library.resolve(PrintModuleEntry));
    PrintModule* module = create ? create() : nullptr;
    if (!module) raise(QStringLiteral("Printing is not available: ") + library.errorString());
    return module;
}

} // namespace vistelle
