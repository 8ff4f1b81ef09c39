#include "platform/shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace vistelle {

namespace {
std::function<void(const QString&)>& opener()
{
    static std::function<void(const QString&)> o;
    return o;
}
} // namespace

void openWebAddress(const QString& address)
{
    if (opener()) opener()(address);
    else QDesktopServices::openUrl(QUrl(address));
}

void setWebOpener(std::function<void(const QString&)> o) { opener() = std::move(o); }

} // namespace vistelle
