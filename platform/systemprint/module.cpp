// vistelle-print: the printing module. The program loads it on the first print and calls
// its one exported function; failures come back as messages, never as exceptions.

#include "core/error.h"
#include "platform/systemprint/systemprinting.h"

namespace {

class Module final : public vistelle::PrintModule {
public:
    bool choosePrinter(QWidget* parent) override { return m_service.choosePrinter(parent); }

    QString printPage(const QImage& page) override
    {
        try {
            m_service.printPage(page);
            return {};
        } catch (const vistelle::Error& e) {
            return e.message();
        }
    }

private:
    vistelle::SystemPrintService m_service;
};

} // namespace

extern "C" Q_DECL_EXPORT vistelle::PrintModule* vistelleCreatePrintModule() { return new Module; }
