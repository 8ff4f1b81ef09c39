#pragma once
// The system's printers: the standard print dialog, a one-page job on a QPrinter, and the
// printer service's own message when no printer or job is possible. Built into the
// printing module (module.cpp), which the program loads on the first print.

#include "platform/printing.h"

#include <QPrinter>
#include <QRect>

namespace vistelle {

// Prints `page` on `printer` as one sheet; returns the rectangle it was drawn into, in
// printer pixels relative to the printable area. Throws Error when no job can be started.
QRect printOnePage(QPrinter& printer, const QImage& page);

// The printer service's own message for "no printer or no job possible".
QString printerServiceMessage();

// QPrintDialog and a high-resolution QPrinter kept between jobs.
class SystemPrintService : public PrintService {
public:
    SystemPrintService();
    bool choosePrinter(QWidget* parent) override;
    void printPage(const QImage& page) override;

    QPrinter& printer() { return m_printer; }
    // Where the last page was drawn (empty before the first job).
    QRect lastDrawnRect() const { return m_lastDrawn; }

private:
    QPrinter m_printer;
    QRect m_lastDrawn;
};

} // namespace vistelle
