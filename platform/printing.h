#pragma once
// The printing service behind one interface. The system's printers live in the printing
// module (vistelle-print), loaded on the first print, so that the print dialog, the
// printer support and the printer service's library cost nothing at start-up; tests
// install a service that records the page instead.

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

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
// otherwise full page width. Both divisions round to the nearest pixel (halves up),
// exact for any page size.
inline QSize pageFit(QSize image, QSize printable)
{
    const qint64 w = image.width(), h = image.height();
    const qint64 pw = printable.width(), ph = printable.height();
    if (w <= 0 || h <= 0 || pw <= 0 || ph <= 0) return {};
    const auto mulDivRound = [](qint64 a, qint64 b, qint64 c) { return int((2 * a * b + c) / (2 * c)); };
    const int width = mulDivRound(w, ph, h);
    if (width < pw) return {width, int(ph)};
    return {int(pw), mulDivRound(h, pw, w)};
}

// What the printing module exports. No exception crosses between the module and the
// program: a failed job comes back as its message.
class PrintModule {
public:
    virtual ~PrintModule() = default;
    virtual bool choosePrinter(QWidget* parent) = 0;
    // Empty when the page was printed, otherwise the reason.
    virtual QString printPage(const QImage& page) = 0;
};

// The module's file name, and the name of its function that creates its PrintModule.
inline constexpr char PrintModuleFile[] = "vistelle-print.so";
inline constexpr char PrintModuleEntry[] = "vistelleCreatePrintModule";

// Where the program looks for the module, in order: beside the program, then in its
// install folder relative to the program's folder.
QStringList printModuleCandidates(const QString& programFolder);

// Loads the module from `path` and creates its PrintModule; throws Error when it cannot.
PrintModule* loadPrintModule(const QString& path);

} // namespace vistelle
