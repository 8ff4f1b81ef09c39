#include "app/damagedfile.h"
#include "core/error.h"
#include "core/inplacesave.h"
#include "platform/dialogs.h"

#include <QFileInfo>

namespace vistelle {

void openRestoringDamaged(const QString& fileName, const std::function<void()>& open)
{
    try {
        open();
    } catch (const Error& e) {
        if (!QFileInfo(inPlaceCopyName(fileName)).isFile() || !restoreFromInPlaceCopy(fileName)) throw;
        dialogs().error(e.message());
        dialogs().message(fileName + QStringLiteral(" was damaged while it was being saved; it was restored from the copy kept for that save."));
        open();
    }
}

} // namespace vistelle
