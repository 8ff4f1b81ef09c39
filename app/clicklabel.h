#pragma once
// A label that reports clicks (left button pressed and released over it) and every
// button release. When it takes the focus (from Tab), Enter or Space acts as a left click
// and Shift+F10 or the Menu key as a right-button release; a dotted frame shows the focus.

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

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
    void keyPressEvent(QKeyEvent* e) override
    {
        const int key = e->key();
        const bool plain = e->modifiers() == Qt::NoModifier || e->modifiers() == Qt::KeypadModifier;
        if (plain && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)) {
            e->accept();
            emit clicked();
        } else if (key == Qt::Key_Menu || (key == Qt::Key_F10 && e->modifiers() == Qt::ShiftModifier)) {
            e->accept();
            emit mouseUp(Qt::RightButton);
        } else {
            QLabel::keyPressEvent(e);
        }
    }
    void paintEvent(QPaintEvent* e) override
    {
        QLabel::paintEvent(e);
        if (!hasFocus()) return;
        QPainter p(this);
        p.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }

private:
    bool m_pressed = false;
};

} // namespace vistelle
