#include "pictures/applicationwindows.h"

#include <QApplication>
#include <QWidget>

namespace vistelle {

QStringList applicationWindowNames()
{
    QStringList names;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return names;
    for (const QWidget* w : QApplication::topLevelWidgets())
        if (w->isWindow() && !w->objectName().isEmpty()) names << w->objectName();
    return names;
}

} // namespace vistelle
