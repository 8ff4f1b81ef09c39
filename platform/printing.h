#pragma once
// The printing service behind one interface: the standard print dialog and a one-page
// job for the real program; tests install a service that records the page instead.

#include <QImage>
#include <QPrinter>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

namespace vistelle {

class PrintService {
public:
    virtual ~PrintService() = default;
    // Lets the user choose a printer; false when the dialog is cancelled.
    virtual bool choosePrinter(QWidget* parent) = 0;
    // Prints `page` as a one-page job on the chosen printer, scaled by pageFit() and placed
    // at the printable area's top-left. Throws Error with the service's message on failure.
    virtual void printPage(const QImage& page) = 0;
};

// The service in force (the system's printers unless a test installed another).
PrintService& printService();
void setPrintService(PrintService* service); // nullptr: back to the system's printers

// The size at which an image of `image` size is printed on a printable area of
// `printable` size: full page height when the width then stays below the page width,
// otherwise full page width. Both divisions round to the nearest pixel.
QSize pageFit(QSize image, QSize printable);

// Prints `page` on `printer` as one sheet; returns the rectangle it was drawn into, in
// printer pixels relative to the printable area. Throws Error when no job can be started.
QRect printOnePage(QPrinter& printer, const QImage& page);

// The printer service's own message for "no printer or no job possible".
QString printerServiceMessage();

// The system's printers: QPrintDialog and a high-resolution QPrinter kept between jobs.
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
