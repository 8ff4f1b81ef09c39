#include "preview/printform.h"

#include "pictures/builtinpictures.h"
#include "pictures/pictureview.h"
#include "platform/guard.h"
#include "platform/printing.h"
#include "platform/accessiblerole.h"
#include "platform/screenfit.h"
#include "platform/systemcolours.h"
#include "preview/pagegrid.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QToolTip>
#include <cmath>
#include <functional>

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

// The page drawn scaled down as a whole over the page itself, for a screen too small for
// the page. The picture answers as on the page: hand pointer, hint, a click prints.
class ScaledPage : public QWidget {
public:
    ScaledPage(QWidget* page, QWidget* picture, std::function<void()> pictureClick, QWidget* parent)
        : QWidget(parent), m_page(page), m_picture(picture), m_pictureClick(std::move(pictureClick))
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMouseTracking(true);
    }

    // Takes the page's look anew, after its content changed.
    void refresh()
    {
        m_image = m_page->grab();
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(rect(), m_image);
    }

    void mousePressEvent(QMouseEvent* e) override
    {
        m_pressed = e->button() == Qt::LeftButton && overPicture(e->position());
    }

    void mouseReleaseEvent(QMouseEvent* e) override
    {
        const bool click = m_pressed && e->button() == Qt::LeftButton && overPicture(e->position());
        m_pressed = false;
        if (click) m_pictureClick();
    }

    void mouseMoveEvent(QMouseEvent* e) override
    {
        if (overPicture(e->position())) setCursor(m_picture->cursor());
        else unsetCursor();
    }

    bool event(QEvent* e) override
    {
        if (e->type() != QEvent::ToolTip) return QWidget::event(e);
        const auto* help = static_cast<QHelpEvent*>(e);
        if (overPicture(help->pos())) {
            QToolTip::showText(help->globalPos(), m_picture->toolTip(), this);
        } else {
            QToolTip::hideText();
            e->ignore();
        }
        return true;
    }

private:
    bool overPicture(QPointF at) const
    {
        const QPointF onPage(at.x() * m_page->width() / width(), at.y() * m_page->height() / height());
        return m_picture->geometry().contains(onPage.toPoint());
    }

    QWidget* m_page;
    QWidget* m_picture;
    std::function<void()> m_pictureClick;
    QPixmap m_image;
    bool m_pressed = false;
};

TPrintForm::TPrintForm(PreviewHost& host, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_host(host)
{
    setAccessibleRole(this, QAccessible::Window);
    setObjectName(QStringLiteral("PrintForm"));
    setWindowTitle(QStringLiteral("Vistelle Calendar Page Preview"));
    // The page's colours are its own, whatever the desktop's palette.
    QPalette page = designedPalette();
    page.setColor(QPalette::Window, Qt::white);
    setPalette(page);
    setAutoFillBackground(true);
    setFixedSize(ClientWidth, ClientHeight);
    move(252, 18);
    // The page and its scaled view carry no names: a picture set's list cannot take the
    // name of a component of this window.
    m_page = new QWidget(this);
    m_page->setAutoFillBackground(true);
    m_page->setGeometry(0, 0, ClientWidth, ClientHeight);
    buildBands();
    buildTable();
    buildFooter();
    layoutBands();
    m_scaled = new ScaledPage(m_page, monthImage, [this] { guard([this] { monthImageClick(); }); }, this);
    m_scaled->hide();
}

void TPrintForm::buildBands()
{
    Panel1 = spacer(m_page, QStringLiteral("Panel1"));
    title = pageLabel(m_page, QStringLiteral("title"), 24, Qt::AlignHCenter | Qt::AlignTop);
    title->setWordWrap(true);
    QPalette black = title->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    title->setPalette(black);
    Panel2 = spacer(m_page, QStringLiteral("Panel2"));

    monthImage = new PictureView(m_page);
    monthImage->setObjectName(QStringLiteral("monthImage"));
    monthImage->setFitMode(FitMode::CentredShrink);
    monthImage->setBackgroundColor(Qt::white);
    monthImage->setCursor(Qt::PointingHandCursor);
    monthImage->setToolTip(QStringLiteral("Click on picture to print page"));
    monthImage->setAccessibleName(QStringLiteral("Picture of the month"));
    monthImage->installEventFilter(this);

    Panel3 = spacer(m_page, QStringLiteral("Panel3"));
    monthLabel = pageLabel(m_page, QStringLiteral("monthLabel"), 21, Qt::AlignHCenter | Qt::AlignTop);
}

void TPrintForm::buildTable()
{
    Grid = new PageGrid(m_page);
    Grid->setObjectName(QStringLiteral("Grid"));
    Grid->setFont(pageFont(16));
    Grid->setGeometry(GridPlace);
    Grid->setAccessibleName(QStringLiteral("Calendar page table"));
}

void TPrintForm::buildFooter()
{
    Logo = new PictureView(m_page);
    Logo->setObjectName(QStringLiteral("Logo"));
    Logo->setFitMode(FitMode::CentredShrink);
    Logo->setBackgroundColor(Qt::white);
    Logo->setGeometry(LogoPlace);
    Logo->setPicture(pageLogo());
    Logo->setAccessibleName(QStringLiteral("Vistelle logo"));

    vistelleLabel = pageLabel(m_page, QStringLiteral("vistelleLabel"), 11, Qt::AlignLeft | Qt::AlignTop);
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
    fitToScreen();
    show();
    raise();
    activateWindow();
    // Fits again once the window system has framed and placed the window.
    QTimer::singleShot(0, this, [this] { fitUntilSettled(this, [this] { return fitToScreenOnceFramed(); }, 60); });
}

qreal TPrintForm::pageScale() const { return qreal(width()) / ClientWidth; }

QImage TPrintForm::pageImage() const { return m_page->grab().toImage(); }

// A window that would not fit the screen's available area shows the page scaled down
// as a whole, with its proportions kept, and is placed inside the area. True when the
// window is where it belongs.
bool TPrintForm::fitToScreen()
{
    QMargins frame = frameMarginsOf(this);
    // Until this window is framed, the main window's frame stands in for its own.
    if (frame.isNull() && parentWidget()) frame = frameMarginsOf(parentWidget()->window());
    const QSize design(ClientWidth, ClientHeight);
    const QSize frameSize(frame.left() + frame.right(), frame.top() + frame.bottom());
    const QRect outer(outerBoundsOf(this).topLeft(), design + frameSize);
    // On a scaled desktop the area's size is rounded: a pixel less keeps the frame inside.
    const int slack = roundingSlack(devicePixelRatioF());
    const QRect area = availableAreaFor(outer).adjusted(0, 0, -slack, -slack);
    const QSize room = area.size() - frameSize;
    const qreal scale = area.isEmpty() ? 1.0
        : qMin(1.0, qMin(qreal(room.width()) / ClientWidth, qreal(room.height()) / ClientHeight));
    const QSize client = scale < 1.0 ? QSize(int(std::floor(ClientWidth * scale)), int(std::floor(ClientHeight * scale)))
                                     : design;
    setFixedSize(client);
    resizeClientTo(this, client);
    m_scaled->setGeometry(rect());
    m_scaled->setVisible(scale < 1.0);
    if (scale == 1.0) return true;
    m_scaled->refresh();
    const QPoint at = placeInside(QRect(outer.topLeft(), client + frameSize), area);
    if (sameBounds(QRect(at, QSize()), QRect(outer.topLeft(), QSize()), slack)) return true;
    moveFrameTo(this, at);
    return false;
}

bool TPrintForm::fitToScreenOnceFramed()
{
    if (!isVisible()) return true;
    const bool framed = !frameMarginsOf(this).isNull() || QGuiApplication::platformName() != QLatin1String("xcb");
    return framed && fitToScreen();
}

void TPrintForm::FormActivate()
{
    const QString year = m_host.yearCaption();
    monthImage->setPicture(m_host.pictureOnDisplay());
    monthLabel->setText(m_host.monthCaption() + u' ' + year);
    monthImage->setAccessibleName(QStringLiteral("Picture of ") + m_host.monthCaption());
    title->setText(QStringLiteral("The Korvo Group ") + year + QStringLiteral(" Calendar"));
    vistelleLabel->setText(u' ' + ProductNotice + u' ' + year + u' ');
    for (int col = 0; col < PageGrid::ColCount; ++col)
        for (int row = 0; row < PageGrid::RowCount; ++row) Grid->setCell(col, row, m_host.cellCaption(col, row));
    layoutBands();
    fitNoticeWidth();
    if (m_scaled->isVisible()) m_scaled->refresh();
}

void TPrintForm::monthImageClick()
{
    if (!printService().choosePrinter(this)) return;
    // The page as it is on screen, rendered afresh at its design size also when the
    // screen shows it scaled down.
    printService().printPage(pageImage());
}

void TPrintForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
    } else if (event->key() == Qt::Key_P && event->modifiers() == Qt::ControlModifier) {
        guard([this] { monthImageClick(); });
    } else {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
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
