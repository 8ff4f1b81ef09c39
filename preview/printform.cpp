#include "preview/printform.h"

#include "pictures/builtinpictures.h"
#include "pictures/pictureview.h"
#include "platform/guard.h"
#include "platform/printing.h"
#include "preview/pagegrid.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMouseEvent>

namespace vistelle {

namespace {

const QString PageFontFamily = QStringLiteral("DejaVu Serif");
// Wide enough with the year to sit centred under the logo from its fixed left edge.
const QString ProductNotice = QStringLiteral("\u00A9 Vistelle");
const QString LogoResource = QStringLiteral(":/builtin/pageLogo.jpg");

// Design places: the bands are stacked full-width from the top; the rest sit where given.
constexpr int SpacerHeight = 8;
constexpr int TitleHeight = 28;
constexpr int ImageHeight = 456;
constexpr int MonthLabelHeight = 26;
const QRect GridPlace(46, 550, 492, 177);
const QRect LogoPlace(208, 741, 168, 50);
constexpr int NoticeLeft = 247, NoticeTop = 795, NoticeHeight = 13;

QFont pageFont(int pixelHeight)
{
    QFont font(PageFontFamily);
    font.setStyleHint(QFont::Serif); // a serif face stands in when DejaVu Serif is missing
    font.setPixelSize(pixelHeight);
    font.setBold(false);
    return font;
}

QWidget* spacer(QWidget* parent, const QString& name)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName(name);
    panel->setAutoFillBackground(true);
    return panel;
}

QLabel* pageLabel(QWidget* parent, const QString& name, int pixelHeight, Qt::Alignment alignment)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setFont(pageFont(pixelHeight));
    label->setAlignment(alignment);
    label->setMargin(0);
    label->setIndent(0);
    return label;
}

Picture pageLogo()
{
    initBuiltinPictures();
    try {
        return Picture::fromFile(LogoResource);
    } catch (const Error&) {
        return {}; // a build without the built-in pictures prints the page without its logo
    }
}

} // namespace

TPrintForm::TPrintForm(PreviewHost& host, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_host(host)
{
    setObjectName(QStringLiteral("PrintForm"));
    setWindowTitle(QStringLiteral("Vistelle Calendar Page Preview"));
    QPalette page = palette();
    page.setColor(QPalette::Window, Qt::white);
    setPalette(page);
    setAutoFillBackground(true);
    setFixedSize(ClientWidth, ClientHeight);
    move(252, 18);
    buildBands();
    buildTable();
    buildFooter();
    layoutBands();
}

void TPrintForm::buildBands()
{
    Panel1 = spacer(this, QStringLiteral("Panel1"));
    title = pageLabel(this, QStringLiteral("title"), 24, Qt::AlignHCenter | Qt::AlignTop);
    title->setWordWrap(true);
    QPalette black = title->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    title->setPalette(black);
    Panel2 = spacer(this, QStringLiteral("Panel2"));

    monthImage = new PictureView(this);
    monthImage->setObjectName(QStringLiteral("monthImage"));
    monthImage->setFitMode(FitMode::CentredShrink);
    monthImage->setBackgroundColor(Qt::white);
    monthImage->setCursor(Qt::PointingHandCursor);
    monthImage->setToolTip(QStringLiteral("Click on picture to print page"));
    monthImage->installEventFilter(this);

    Panel3 = spacer(this, QStringLiteral("Panel3"));
    monthLabel = pageLabel(this, QStringLiteral("monthLabel"), 21, Qt::AlignHCenter | Qt::AlignTop);
}

void TPrintForm::buildTable()
{
    Grid = new PageGrid(this);
    Grid->setObjectName(QStringLiteral("Grid"));
    Grid->setFont(pageFont(16));
    Grid->setGeometry(GridPlace);
}

void TPrintForm::buildFooter()
{
    Logo = new PictureView(this);
    Logo->setObjectName(QStringLiteral("Logo"));
    Logo->setFitMode(FitMode::CentredShrink);
    Logo->setBackgroundColor(Qt::white);
    Logo->setGeometry(LogoPlace);
    Logo->setPicture(pageLogo());

    vistelleLabel = pageLabel(this, QStringLiteral("vistelleLabel"), 11, Qt::AlignLeft | Qt::AlignTop);
    fitNoticeWidth();
}

// Top-aligned bands as on the design; a title that wraps pushes the bands below it down.
void TPrintForm::layoutBands()
{
    const int titleHeight = qMax(TitleHeight, title->heightForWidth(ClientWidth));
    int y = 0;
    const auto band = [&](QWidget* w, int height) {
        w->setGeometry(0, y, ClientWidth, height);
        y += height;
    };
    band(Panel1, SpacerHeight);
    band(title, titleHeight);
    band(Panel2, SpacerHeight);
    band(monthImage, ImageHeight);
    band(Panel3, SpacerHeight);
    band(monthLabel, MonthLabelHeight);
}

void TPrintForm::fitNoticeWidth()
{
    const int width = vistelleLabel->fontMetrics().horizontalAdvance(vistelleLabel->text());
    vistelleLabel->setGeometry(NoticeLeft, NoticeTop, width, NoticeHeight);
}

void TPrintForm::showPreview()
{
    show();
    raise();
    activateWindow();
}

void TPrintForm::FormActivate()
{
    const QString year = m_host.yearCaption();
    monthImage->setPicture(m_host.pictureOnDisplay());
    monthLabel->setText(m_host.monthCaption() + u' ' + year);
    title->setText(QStringLiteral("The Korvo Group ") + year + QStringLiteral(" Calendar"));
    vistelleLabel->setText(u' ' + ProductNotice + u' ' + year + u' ');
    for (int col = 0; col < PageGrid::ColCount; ++col)
        for (int row = 0; row < PageGrid::RowCount; ++row) Grid->setCell(col, row, m_host.cellCaption(col, row));
    layoutBands();
    fitNoticeWidth();
}

void TPrintForm::monthImageClick()
{
    if (!printService().choosePrinter(this)) return;
    // The page as it is on screen: the client area, rendered afresh.
    const QImage page = grab().toImage();
    printService().printPage(page);
}

void TPrintForm::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) guard([this] { FormActivate(); });
}

void TPrintForm::closeEvent(QCloseEvent* event)
{
    event->accept(); // the window is hidden, not destroyed, and shown again later
    QWidget::closeEvent(event);
    guard([this] { m_host.previewHidden(); });
}

// A click on the picture: the left button pressed and released over it.
bool TPrintForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != monthImage) return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonPress) {
        m_imagePressed = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
    } else if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const bool click = m_imagePressed && mouse->button() == Qt::LeftButton
            && monthImage->rect().contains(mouse->position().toPoint());
        m_imagePressed = false;
        if (click) guard([this] { monthImageClick(); });
        return click;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace vistelle
