// The printing service: the page fit, a job at printer resolution, the messages of jobs
// that cannot start, the print dialog's two answers, and the printing module that the
// program loads on the first print.

#include "core/error.h"
#include "platform/systemprint/systemprinting.h"

#include <QFile>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <QtWidgets>

using namespace vistelle;

namespace {

QString failureOf(const std::function<void()>& f)
{
    try { f(); } catch (const Error& e) { return e.message(); }
    return {};
}

QImage testPage()
{
    QImage page(584, 812, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter(&page).fillRect(0, 0, 292, 406, Qt::red);
    return page;
}

// Answers the next modal print dialog with accept or reject.
void answerPrintDialog(QObject* context, bool accept)
{
    QTimer::singleShot(10, context, [context, accept] {
        if (auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget())) {
            accept ? dialog->accept() : dialog->reject();
            return;
        }
        answerPrintDialog(context, accept);
    });
}

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT

private slots:
    void pageFitFollowsTheShorterSide_data()
    {
        QTest::addColumn<QSize>("image");
        QTest::addColumn<QSize>("printable");
        QTest::addColumn<QSize>("expected");
        // 584 × 6600 ÷ 812 = 4746.8: below 4800, so the height limits.
        QTest::newRow("height-limited") << QSize(584, 812) << QSize(4800, 6600) << QSize(4747, 6600);
        // 584 × 6800 ÷ 812 = 4890.6: too wide, so full width and 812 × 4800 ÷ 584 = 6673.97.
        QTest::newRow("width-limited") << QSize(584, 812) << QSize(4800, 6800) << QSize(4800, 6674);
        // A width exactly equal to the page width counts as too wide.
        QTest::newRow("exact width") << QSize(100, 200) << QSize(50, 100) << QSize(50, 100);
        QTest::newRow("A4 at 1200 dpi") << QSize(584, 812) << QSize(9583, 13699) << QSize(9583, 13324);
        QTest::newRow("half rounds up") << QSize(3, 2) << QSize(100, 3) << QSize(5, 3);
        QTest::newRow("empty image") << QSize(0, 812) << QSize(4800, 6600) << QSize();
        QTest::newRow("no printable area") << QSize(584, 812) << QSize(0, 0) << QSize();
    }

    void pageFitFollowsTheShorterSide()
    {
        QFETCH(QSize, image);
        QFETCH(QSize, printable);
        QFETCH(QSize, expected);
        QCOMPARE(pageFit(image, printable), expected);
    }

    void oneSheetAtPrinterResolution()
    {
        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("a4.pdf"));
        printer.setPageSize(QPageSize(QPageSize::A4));
        const QRect drawn = printOnePage(printer, testPage());
        QCOMPARE(drawn.topLeft(), QPoint(0, 0));
        QCOMPARE(drawn.size(), pageFit({584, 812}, {printer.width(), printer.height()}));
        QVERIFY(drawn.width() == printer.width() || drawn.height() == printer.height());
        QFile pdf(dir.filePath("a4.pdf"));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        const QByteArray bytes = pdf.readAll();
        QVERIFY(bytes.startsWith("%PDF-"));
        QCOMPARE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page "), 1);
    }

    void unwritableFileIsReportedByName()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("missing/page.pdf");
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        QCOMPARE(failureOf([&] { printOnePage(printer, testPage()); }),
                 "Cannot create file " + QDir::toNativeSeparators(file));
        QVERIFY(!QFile::exists(file));
    }

    void missingPrinterGivesTheServiceMessage()
    {
        if (!QPrinterInfo::availablePrinterNames().isEmpty()) QSKIP("a printer is installed here");
        const QString message = printerServiceMessage();
        QVERIFY(!message.isEmpty());
        // Without printers the default printer falls back to a PDF job with no file.
        QPrinter printer(QPrinter::HighResolution);
        QCOMPARE(failureOf([&] { printOnePage(printer, testPage()); }), message);
    }

    void cancelledDialogChoosesNoPrinter()
    {
        QWidget parent;
        SystemPrintService service;
        answerPrintDialog(&parent, false);
        QVERIFY(!service.choosePrinter(&parent));
        QCOMPARE(service.lastDrawnRect(), QRect());
    }

    void confirmedDialogChoosesThePrinter()
    {
        QWidget parent;
        SystemPrintService service;
        answerPrintDialog(&parent, true);
        QVERIFY(service.choosePrinter(&parent));
    }

    void programLooksBesideItselfThenInItsInstallFolder()
    {
        QCOMPARE(printModuleCandidates("/opt/v/bin"),
                 QStringList({"/opt/v/bin/vistelle-print.so",
                              QDir::cleanPath("/opt/v/bin/" PRINT_MODULE_FROM_BIN "/vistelle-print.so")}));
    }

    void moduleBesideTheProgramServesTheSystemPrinters()
    {
        std::unique_ptr<PrintModule> module(loadPrintModule(printModuleCandidates(PRINT_MODULE_FOLDER).first()));
        QWidget parent;
        answerPrintDialog(&parent, false);
        QVERIFY(!module->choosePrinter(&parent));
        // A failed job comes back as its message: here the service's, as no printer is chosen.
        if (QPrinterInfo::availablePrinterNames().isEmpty()) QCOMPARE(module->printPage(testPage()), printerServiceMessage());
    }

    void missingModuleIsReported()
    {
        const QString message = failureOf([] { loadPrintModule("/nonexistent/vistelle-print.so"); });
        QVERIFY2(message.startsWith("Printing is not available: "), qPrintable(message));
    }

};

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
