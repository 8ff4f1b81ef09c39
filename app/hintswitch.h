#pragma once
// The application-wide hint switch: while it is off, no control shows its hint.

#include <QEvent>
#include <QObject>

namespace vistelle {

class HintSwitch : public QObject {
public:
    using QObject::QObject;
    bool on = true;

protected:
    bool eventFilter(QObject*, QEvent* event) override { return !on && event->type() == QEvent::ToolTip; }
};

} // namespace vistelle
