#pragma once
#include <QString>
#include <functional>

namespace vistelle {

// Hands a web address to the system's default handler. Tests may replace the opener.
void openWebAddress(const QString& address);
void setWebOpener(std::function<void(const QString&)> opener); // empty: the system's

} // namespace vistelle
