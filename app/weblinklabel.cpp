#include "app/weblinklabel.h"
#include "platform/guard.h"
#include "platform/shell.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace vistelle {

WebLinkLabel::WebLinkLabel(QWidget* parent) : QLabel(parent) { setCursor(Qt::PointingHandCursor); }

void WebLinkLabel::setLooks(const Look& normal, const Look& hover)
{
    m_normal = normal;
    m_hover = hover;
    apply(m_hovered ? m_hover : m_normal);
}

void WebLinkLabel::apply(const Look& look)
{
    setFont(look.font);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, look.text);
    if (look.background.isValid()) p.setColor(QPalette::Window, look.background);
    setPalette(p);
    setAutoFillBackground(look.background.isValid());
    setAlignment(look.alignment);
}

void WebLinkLabel::open()
{
    if (!address.isEmpty()) openWebAddress(address);
}

void WebLinkLabel::enterEvent(QEnterEvent* event)
{
    m_hovered = true;
    m_normalCaption = text();
    if (!hoverCaption.isEmpty()) setText(hoverCaption);
    apply(m_hover);
    QLabel::enterEvent(event);
}

void WebLinkLabel::leaveEvent(QEvent* event)
{
    m_hovered = false;
    if (!hoverCaption.isEmpty()) setText(m_normalCaption);
    apply(m_normal);
    QLabel::leaveEvent(event);
}

void WebLinkLabel::focusInEvent(QFocusEvent* event)
{
    apply(m_hover);
    QLabel::focusInEvent(event);
}

void WebLinkLabel::focusOutEvent(QFocusEvent* event)
{
    if (!m_hovered) apply(m_normal);
    QLabel::focusOutEvent(event);
}

void WebLinkLabel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        guard([this] { open(); });
        return;
    }
    QLabel::keyPressEvent(event);
}

void WebLinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) guard([this] { open(); });
    QLabel::mouseReleaseEvent(event);
}

} // namespace vistelle
