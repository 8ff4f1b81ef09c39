#pragma once
// Whether the user's last action came from the keyboard or from the mouse. A date change
// started from the keyboard keeps the focus where it was; one started with the mouse
// gives the day editor the focus.

#include <QEvent>
#include <QObject>

namespace vistelle {

class InputSource : public QObject {
public:
    using QObject::QObject;
    bool keyboard = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::Shortcut:
            keyboard = true;
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            keyboard = false;
            break;
        default:
            break;
        }
        return false;
    }
};

} // namespace vistelle
