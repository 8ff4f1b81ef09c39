#pragma once
#include <QStringList>

namespace vistelle {

// The component names (objectNames) of the application's top-level windows; empty
// without a widget application.
QStringList applicationWindowNames();

} // namespace vistelle
