#include "platform/systemprint/systemprinting.h"

#include "core/error.h"

#include <QDir>
#include <QPainter>
#include <QPrintDialog>
#include <cups/cups.h>

namespace vistelle {

namespace {

// Why a job could not start: a file the user chose that cannot be written is named as
// such; everything else is the printer service's business.
QString jobFailureMessage(const QPrinter& printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
        return fmt(QStringLiteral("Cannot create file %s"), QDir::toNativeSeparators(printer.outputFileName()));
    return printerServiceMessage();
}

} // namespace

QString printerServiceMessage()
{
    if (cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr)) {
        cupsFreeDests(1, dest);
        return QStringLiteral("The printer is not available");
    }
    const QString cups = QString::fromUtf8(cupsLastErrorString()).trimmed();
    return cups.isEmpty() ? QStringLiteral("No printer is installed") : cups;
}

QRect printOnePage(QPrinter& printer, const QImage& page)
{
    QPainter painter;
    if (!painter.begin(&printer)) raise(jobFailureMessage(printer));
    // The painter's origin is the printable area's top-left; its size is the device's.
    const QRect target(QPoint(0, 0), pageFit(page.size(), QSize(printer.width(), printer.height())));
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!target.isEmpty()) painter.drawImage(target, page);
    if (!painter.end()) raise(jobFailureMessage(printer));
    return target;
}

SystemPrintService::SystemPrintService() : m_printer(QPrinter::HighResolution) {}

bool SystemPrintService::choosePrinter(QWidget* parent)
{
    QPrintDialog dialog(&m_printer, parent);
    dialog.setObjectName(QStringLiteral("printDialog"));
    return dialog.exec() == QDialog::Accepted;
}

void SystemPrintService::printPage(const QImage& page) { m_lastDrawn = printOnePage(m_printer, page); }

} // namespace vistelle
