#pragma once
// The wait cursor while the window thread does something the user waits for, such as
// deriving a password's key (most of a second by design).

#include <QCursor>
#include <QGuiApplication>

namespace vistelle {

class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace vistelle
