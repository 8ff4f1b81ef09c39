#include "diary/engine/fielddefs.h"
#include "core/error.h"

namespace vistelle {

void TFieldDefs::Add(const QString& name, TFieldType dataType, int size, bool required)
{
    if (dataType == ftString && (size < 0 || size > 32767)) raise(QStringLiteral("Invalid field size"));
    m_items.append(TFieldDef{name, dataType, size, required});
}

} // namespace vistelle
