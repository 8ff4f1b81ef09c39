#pragma once
// A label that reports clicks (left button pressed and released over it) and every
// button release.

#include <QLabel>
#include <QMouseEvent>

namespace vistelle {

class ClickLabel : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

signals:
    void clicked();
    void mouseUp(Qt::MouseButton button);

protected:
    void mousePressEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton) m_pressed = true;
        e->accept();
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        const bool click = m_pressed && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
        if (e->button() == Qt::LeftButton) m_pressed = false;
        e->accept();
        if (click) emit clicked();
        emit mouseUp(e->button());
    }

private:
    bool m_pressed = false;
};

} // namespace vistelle
