// The page preview: the page built from the main window at each activation, its layout,
// and printing it through a recording print service.

#include "calendar/monthgrid.h"
#include "core/error.h"
#include "core/regional.h"
#include "pictures/builtinpictures.h"
#include "pictures/pictureview.h"
#include "platform/dialogs.h"
#include "platform/systemprint/systemprinting.h"
#include "preview/pagegrid.h"
#include "preview/printform.h"

#include <QAccessible>
#include <QLabel>
#include <QScreen>
#include <QWindow>
#include <QTemporaryDir>
#include <QtTest>

using namespace vistelle;

namespace {

constexpr int MondayFirst = 1;

// The main window as the preview sees it: a Monday-first calendar of one month.
class FakeHost : public PreviewHost {
public:
    Picture picture;
    QString month;
    int year = 0;
    QString yearText; // when set, the year caption instead of the year
    MonthGrid grid;
    int rebuilds = 0; // one picture request per page rebuild
    int hidden = 0;

    void show(int y, int m, const QString& name)
    {
        year = y;
        month = name;
        grid = MonthGrid::of(y, m, MondayFirst);
    }

    Picture pictureOnDisplay() const override
    {
        ++const_cast<FakeHost*>(this)->rebuilds;
        return picture;
    }
    QString monthCaption() const override { return month; }
    QString yearCaption() const override { return yearText.isEmpty() ? QString::number(year) : yearText; }
    QString cellCaption(int col, int row) const override
    {
        if (row == 0) return MonthGrid::headerCaption(col, MondayFirst, regional().shortDayNames);
        return grid.dayCaption({col, row});
    }
    void previewHidden() override { ++hidden; }
};

// Records what would have been printed on a 4800 × 6600 printable area.
class RecordingPrintService : public PrintService {
public:
    bool answer = true;
    QString failure; // when set, the job fails with this message
    QSize printable{4800, 6600};
    int dialogs = 0;
    QList<QImage> pages;
    QList<QSize> drawn;

    bool choosePrinter(QWidget*) override
    {
        ++dialogs;
        return answer;
    }
    void printPage(const QImage& page) override
    {
        if (!failure.isEmpty()) raise(failure);
        pages << page;
        drawn << pageFit(page.size(), printable);
    }
};

QStringList row(const TPrintForm& form, int r)
{
    QStringList cells;
    for (int c = 0; c < 7; ++c) cells << form.Grid->cell(c, r);
    return cells;
}

QStringList days(int from, int to)
{
    QStringList list;
    for (int d = from; d <= to; ++d) list << QString::number(d);
    return list;
}

const QStringList Empty(7);
const QStringList WeekdaysMondayFirst{"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};

QImage imageOf(QWidget* w) { return w->grab().toImage().convertToFormat(QImage::Format_RGB32); }

// Dark pixels (text) inside a rectangle of an image.
int inkIn(const QImage& image, const QRect& area)
{
    int ink = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) ink += qGray(image.pixel(x, y)) < 128;
    return ink;
}

} // namespace

class TestPrintForm : public QObject {
    Q_OBJECT

    FakeHost host;
    RecordingPrintService printer;
    ScriptedDialogs boxes;

private slots:
    void initTestCase()
    {
        initBuiltinPictures();
        setRegional(RegionalSettings());
        setDialogs(&boxes);
        setPrintService(&printer);
    }

    void cleanupTestCase()
    {
        setDialogs(nullptr);
        setPrintService(nullptr);
    }

    void init()
    {
        host = FakeHost();
        host.picture = Picture::fromFile(":/builtin/month03.jpg");
        host.show(2009, 3, "March");
        printer = RecordingPrintService();
        boxes.log.clear();
    }

    void februaryTwoThousandTenFillsFourRowsExactly()
    {
        host.show(2010, 2, "February");
        TPrintForm form(host);
        form.FormActivate();
        QCOMPARE(row(form, 0), WeekdaysMondayFirst);
        QCOMPARE(row(form, 1), days(1, 7));
        QCOMPARE(row(form, 2), days(8, 14));
        QCOMPARE(row(form, 3), days(15, 21));
        QCOMPARE(row(form, 4), days(22, 28));
        QCOMPARE(row(form, 5), Empty);
        QCOMPARE(row(form, 6), Empty);
        QCOMPARE(form.monthLabel->text(), "February 2010");
    }

    void marchTwoThousandNineWithTitleAndLabels()
    {
        TPrintForm form(host);
        form.FormActivate();
        QCOMPARE(row(form, 0), WeekdaysMondayFirst);
        QCOMPARE(row(form, 1), QStringList({"", "", "", "", "", "", "1"}));
        QCOMPARE(row(form, 5), days(23, 29));
        QCOMPARE(row(form, 6), QStringList({"30", "31", "", "", "", "", ""}));
        QCOMPARE(form.title->text(), "The Korvo Group 2009 Calendar");
        QCOMPARE(form.monthLabel->text(), "March 2009");
        const QString notice = form.vistelleLabel->text();
        QCOMPARE(notice, QString::fromUtf8(" \u00A9 Vistelle 2009 "));
        // The notice keeps its place and takes the width of its text.
        QCOMPARE(form.vistelleLabel->geometry(),
                 QRect(247, 795, form.vistelleLabel->fontMetrics().horizontalAdvance(notice), 13));
        QVERIFY(form.monthImage->picture().sharesGraphicWith(host.picture));
    }

    void pageLayoutFollowsTheDesign()
    {
        TPrintForm form(host);
        form.FormActivate();
        QCOMPARE(form.windowTitle(), "Vistelle Calendar Page Preview");
        QCOMPARE(form.size(), QSize(584, 812));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QCOMPARE(form.pos(), QPoint(252, 18));
        QVERIFY(form.windowFlags() & Qt::Dialog);
        QCOMPARE(form.palette().color(QPalette::Window), QColor(Qt::white));

        const QList<QPair<QString, QRect>> places{
            {"Panel1", {0, 0, 584, 8}},          {"title", {0, 8, 584, 28}},
            {"Panel2", {0, 36, 584, 8}},         {"monthImage", {0, 44, 584, 456}},
            {"Panel3", {0, 500, 584, 8}},        {"monthLabel", {0, 508, 584, 26}},
            {"Grid", {46, 550, 492, 177}},       {"Logo", {208, 741, 168, 50}},
        };
        for (const auto& [name, rect] : places) {
            auto* w = form.findChild<QWidget*>(name);
            QVERIFY2(w, qPrintable(name));
            QCOMPARE(w->geometry(), rect);
        }
        QCOMPARE(form.Logo->pictureRect(), QRect(0, 0, 168, 50));
        QCOMPARE(form.monthImage->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(form.monthImage->toolTip(), "Click on picture to print page");

        const QList<QPair<QWidget*, int>> fonts{
            {form.title, 24}, {form.monthLabel, 21}, {form.Grid, 16}, {form.vistelleLabel, 11}};
        for (const auto& [w, px] : fonts) {
            QCOMPARE(QFontInfo(w->font()).family(), "DejaVu Serif");
            QCOMPARE(QFontInfo(w->font()).pixelSize(), px);
        }
    }

    void longTitleWrapsAndPushesTheBandsDown()
    {
        TPrintForm form(host);
        host.yearText = QString("2009 ").repeated(30);
        host.month = QString("March ").repeated(30);
        form.FormActivate();
        const int titleHeight = form.title->height();
        QVERIFY(titleHeight >= 2 * 28);
        QCOMPARE(form.Panel2->y(), 8 + titleHeight);
        QCOMPARE(form.monthImage->geometry(), QRect(0, 8 + titleHeight + 8, 584, 456));
        QCOMPARE(form.monthLabel->height(), 26); // fixed size, never grows
        QCOMPARE(form.Grid->geometry(), QRect(46, 550, 492, 177));

        host.yearText.clear();
        form.FormActivate();
        QCOMPARE(form.title->geometry(), QRect(0, 8, 584, 28));
        QCOMPARE(form.monthLabel->geometry(), QRect(0, 508, 584, 26));
    }

    void tableDrawsSilverLinesAndTopLeftText()
    {
        TPrintForm form(host);
        form.FormActivate();
        const QImage grid = imageOf(form.Grid);
        const QColor silver(0xC0, 0xC0, 0xC0);
        QCOMPARE(PageGrid::tableSize(), QSize(491, 176));
        QCOMPARE(QColor(grid.pixel(0, 0)), silver);
        QCOMPARE(QColor(grid.pixel(70, 40)), silver);   // between columns 0 and 1
        QCOMPARE(QColor(grid.pixel(490, 100)), silver); // closing line on the right
        QCOMPARE(QColor(grid.pixel(100, 175)), silver); // closing line at the bottom
        QCOMPARE(QColor(grid.pixel(491, 100)), QColor(Qt::white)); // page beyond the table
        // "Mon" sits at the top-left of its cell; the lower right of the cell stays clear.
        const QRect mon = PageGrid::cellRect(0, 0);
        QVERIFY(inkIn(grid, QRect(mon.left(), mon.top(), 40, 20)) > 20);
        QCOMPARE(inkIn(grid, QRect(mon.left() + 45, mon.top(), 24, 24)), 0);
        // An empty cell is plain window colour.
        const QRect empty = PageGrid::cellRect(0, 1);
        QCOMPARE(inkIn(grid, empty), 0);
        QCOMPARE(QColor(grid.pixel(empty.center())), QColor(Qt::white));
    }

    void longCellTextWrapsAndStaysInsideItsCell()
    {
        PageGrid grid;
        grid.resize(492, 177);
        QFont font("DejaVu Serif");
        font.setPixelSize(16);
        grid.setFont(font);
        grid.setCell(1, 1, "abcdef");
        const QImage one = imageOf(&grid);
        grid.setCell(1, 1, "abcdef ghijkl");
        const QImage two = imageOf(&grid);
        // The second word starts a second line near the cell's foot, clipped by the cell.
        const QRect cell = PageGrid::cellRect(1, 1);
        const QRect foot(cell.left(), cell.bottom() - 3, cell.width(), 4);
        QCOMPARE(inkIn(one, foot), 0);
        QVERIFY(inkIn(two, foot) > 0);
        QCOMPARE(inkIn(two, PageGrid::cellRect(2, 1)), 0);
        QCOMPARE(inkIn(two, PageGrid::cellRect(1, 2)), 0);
        QCOMPARE(QColor(two.pixel(cell.left() + 10, cell.bottom() + 1)), QColor(0xC0, 0xC0, 0xC0));
    }

    void clickOnPicturePrintsTheWholePage()
    {
        TPrintForm form(host);
        form.FormActivate();
        const QImage screen = imageOf(&form);
        QTest::mouseClick(form.monthImage, Qt::LeftButton, {}, QPoint(300, 200));
        QCOMPARE(printer.pages.size(), 1);
        const QImage page = printer.pages.first().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(page, screen);
        QCOMPARE(printer.drawn.first(), QSize(4747, 6600));
        QVERIFY(boxes.log.isEmpty());
    }

    void clickPrintsIntoAPdfFileThroughTheSystemService()
    {
        // The system's job with the dialog answered: the page goes into a PDF file.
        struct Confirmed : SystemPrintService {
            bool choosePrinter(QWidget*) override { return true; }
        } service;
        QTemporaryDir dir;
        service.printer().setOutputFormat(QPrinter::PdfFormat);
        service.printer().setOutputFileName(dir.filePath("page.pdf"));
        setPrintService(&service);
        TPrintForm form(host);
        form.FormActivate();
        QTest::mouseClick(form.monthImage, Qt::LeftButton);
        setPrintService(&printer);

        QVERIFY(boxes.log.isEmpty());
        const QSize printable(service.printer().width(), service.printer().height());
        QCOMPARE(service.lastDrawnRect(), QRect(QPoint(0, 0), pageFit({584, 812}, printable)));
        QFile pdf(dir.filePath("page.pdf"));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        const QByteArray bytes = pdf.readAll();
        QVERIFY(bytes.startsWith("%PDF-"));
        QVERIFY(bytes.contains("/Width 584"));
        QVERIFY(bytes.contains("/Height 812"));
    }

    void cancelledDialogPrintsNothing()
    {
        printer.answer = false;
        TPrintForm form(host);
        form.FormActivate();
        const QImage before = imageOf(&form);
        QTest::mouseClick(form.monthImage, Qt::LeftButton);
        QCOMPARE(printer.dialogs, 1);
        QVERIFY(printer.pages.isEmpty());
        QVERIFY(boxes.log.isEmpty());
        QCOMPARE(imageOf(&form), before);
    }

    void onlyALeftClickOnThePicturePrints()
    {
        TPrintForm form(host);
        form.FormActivate();
        QTest::mouseClick(form.monthImage, Qt::RightButton);
        QTest::mouseClick(form.title, Qt::LeftButton);
        QTest::mouseClick(form.Grid, Qt::LeftButton);
        QCOMPARE(printer.dialogs, 0);
        // Pressed on the picture but released outside it: no click.
        QTest::mousePress(form.monthImage, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseRelease(form.monthImage, Qt::LeftButton, {}, QPoint(10, 600));
        QCOMPARE(printer.dialogs, 0);
    }

    // The test screen (800 x 800) is too small for the page and its frame.
    void aPageTallerThanTheScreenIsShownScaledAndPrintedWhole()
    {
        TPrintForm form(host);
        const QImage design = (form.FormActivate(), form.pageImage());
        form.showPreview();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        const QRect area = form.screen()->availableGeometry();
        QTRY_VERIFY(area.contains(form.windowHandle()->frameGeometry()));
        QVERIFY(form.pageScale() < 1.0);
        QVERIFY(qAbs(form.width() - 584 * form.pageScale()) < 1 && qAbs(form.height() - 812 * form.pageScale()) < 1);
        QCOMPARE(form.minimumSize(), form.maximumSize());
        // On screen the whole page, scaled down.
        const QImage screen = imageOf(&form);
        const QImage expected = design.convertToFormat(QImage::Format_RGB32)
                                    .scaled(screen.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        qint64 difference = 0;
        for (int y = 0; y < screen.height(); ++y)
            for (int x = 0; x < screen.width(); ++x) difference += qAbs(qGray(screen.pixel(x, y)) - qGray(expected.pixel(x, y)));
        QVERIFY2(difference < 8 * qint64(screen.width()) * screen.height(), qPrintable(QString::number(difference)));

        const QPoint onPicture = QPointF(292 * form.pageScale(), 272 * form.pageScale()).toPoint();
        QWidget* view = form.childAt(onPicture); // the scaled page over the page
        QVERIFY(view && view != form.monthImage && view->rect() == form.rect());
        QTest::mouseMove(view, onPicture);
        QCOMPARE(view->cursor().shape(), Qt::PointingHandCursor);
        QTest::mouseMove(view, QPoint(5, 5));
        QCOMPARE(view->cursor().shape(), Qt::ArrowCursor);
        QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(5, 5)); // the title: nothing
        QCOMPARE(printer.dialogs, 0);
        QTest::mouseClick(view, Qt::LeftButton, {}, onPicture);
        QCOMPARE(printer.pages.size(), 1);
        QCOMPARE(printer.pages.first().convertToFormat(QImage::Format_RGB32), design.convertToFormat(QImage::Format_RGB32));
        QCOMPARE(printer.drawn.first(), QSize(4747, 6600));
    }

    void failingServiceShowsItsMessageOnce()
    {
        printer.failure = "The printer is out of paper";
        TPrintForm form(host);
        form.FormActivate();
        const QImage before = imageOf(&form);
        QTest::mouseClick(form.monthImage, Qt::LeftButton);
        QCOMPARE(boxes.log, QStringList{"error: The printer is out of paper."});
        QVERIFY(printer.pages.isEmpty());
        QCOMPARE(imageOf(&form), before);
    }

    void activationRebuildsThePageFromTheHost()
    {
        TPrintForm form(host);
        form.showPreview();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(host.rebuilds, 1);
        QCOMPARE(form.monthLabel->text(), "March 2009");

        // The main window moves on while the preview stays open: nothing changes yet.
        QWidget mainWindow;
        mainWindow.show();
        mainWindow.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
        host.show(2010, 2, "February");
        host.picture = Picture::fromFile(":/builtin/month02.jpg");
        QCOMPARE(form.monthLabel->text(), "March 2009");
        QCOMPARE(form.Grid->cell(0, 6), "30");

        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(host.rebuilds, 2);
        QCOMPARE(form.monthLabel->text(), "February 2010");
        QCOMPARE(form.title->text(), "The Korvo Group 2010 Calendar");
        QCOMPARE(row(form, 6), Empty);
        QVERIFY(form.monthImage->picture().sharesGraphicWith(host.picture));
    }

    void closingHidesTheWindowAndReturnsToTheMainWindow()
    {
        QPointer<TPrintForm> form = new TPrintForm(host);
        form->showPreview();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QVERIFY(form->close());
        QVERIFY(form);
        QVERIFY(!form->isVisible());
        QCOMPARE(host.hidden, 1);
        form->showPreview();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QCOMPARE(form->monthLabel->text(), "March 2009");
        delete form;
    }

    void escapeClosesAndCtrlPPrints()
    {
        TPrintForm form(host);
        form.showPreview();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::keyClick(&form, Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(printer.pages.size(), 1);
        QTest::keyClick(&form, Qt::Key_Escape);
        QVERIFY(!form.isVisible());
        QCOMPARE(host.hidden, 1);
    }

    void tableShowsItsCellsToAssistiveTechnologies()
    {
        TPrintForm form(host);
        form.FormActivate();
        QAccessibleInterface* table = QAccessible::queryAccessibleInterface(form.Grid);
        QVERIFY(table && table->tableInterface());
        QCOMPARE(table->role(), QAccessible::Table);
        QCOMPARE(table->tableInterface()->rowCount(), 7);
        QAccessibleInterface* header = table->tableInterface()->cellAt(0, 0);
        QCOMPARE(header->role(), QAccessible::ColumnHeader);
        QCOMPARE(header->text(QAccessible::Name), "Mon");
        QCOMPARE(table->tableInterface()->cellAt(1, 6)->text(QAccessible::Name), "1"); // row 1, column 6
        QCOMPARE(table->tableInterface()->cellAt(6, 0)->text(QAccessible::Name), "30");
        QCOMPARE(table->tableInterface()->cellAt(6, 2)->text(QAccessible::Name), QString());
        QCOMPARE(table->indexOfChild(table->tableInterface()->cellAt(6, 0)), 42);
        QCOMPARE(QAccessible::queryAccessibleInterface(form.monthImage)->text(QAccessible::Name), "Picture of March");
    }
};

QTEST_MAIN(TestPrintForm)
#include "tst_printform.moc"
