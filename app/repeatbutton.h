#pragma once
// A flat picture button that clicks at once when pressed, again 500 ms later and then
// every 100 ms while it is held; releasing it stops the repetition without a further click.
// It is drawn as its icon centred on black, alike in every state: what a style sheet of
// "border: none; background: black" gives, without the style sheet machinery, which costs
// the start-up a few milliseconds. It takes the focus from Tab only (a click leaves the
// focus where it is); Space steps and repeats while held, as the mouse does, and Enter
// steps once. A dotted white frame shows the focus.

#include <QKeyEvent>
#include <QPainter>
#include <QTimer>
#include <QToolButton>
#include <functional>

namespace vistelle {

class RepeatButton : public QToolButton {
    Q_OBJECT

public:
    static constexpr int FirstDelay = 500;
    static constexpr int Interval = 100;

    // One click of the button. Returns false when it failed: the repetition stops then,
    // so that a failing step is reported once and not again on every tick.
    std::function<bool()> onStep;

    explicit RepeatButton(QWidget* parent = nullptr) : QToolButton(parent)
    {
        setAutoRaise(true);
        setFocusPolicy(Qt::TabFocus);
        m_timer.setSingleShot(true);
        connect(this, &QAbstractButton::pressed, this, [this] { step(FirstDelay); });
        connect(this, &QAbstractButton::released, this, [this] { m_timer.stop(); });
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (isDown()) step(Interval);
        });
    }

    bool repeating() const { return m_timer.isActive(); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        icon().paint(&painter, rect(), Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
        if (!hasFocus()) return;
        painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }

    void keyPressEvent(QKeyEvent* e) override
    {
        const bool plain = e->modifiers() == Qt::NoModifier || e->modifiers() == Qt::KeypadModifier;
        if (plain && (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)) {
            e->accept();
            if (onStep) onStep();
            return;
        }
        QToolButton::keyPressEvent(e);
    }

private:
    void step(int nextDelay)
    {
        m_timer.stop();
        if (onStep && !onStep()) {
            setDown(false);
            return;
        }
        if (isDown()) m_timer.start(nextDelay);
    }

    QTimer m_timer;
};

} // namespace vistelle
