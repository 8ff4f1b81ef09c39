#include "diary/engine/keybuffer.h"
#include "core/error.h"

namespace vistelle {

QStringList splitFieldNames(const QString& names)
{
    QStringList result;
    if (names.trimmed().isEmpty()) return result;
    for (const QString& part : names.split(u';')) result.append(part.trimmed());
    return result;
}

KeyBuffer KeyBuffer::build(const TVolgaCursor& cursor, const QString& names)
{
    KeyBuffer buffer;
    buffer.names = names;
    for (const QString& name : splitFieldNames(names)) {
        const int index = cursor.fieldIndex(name);
        if (index < 0) raise(fmt("Field '%s' not found", name));
        TVolgaField field = cursor.fields()[index];
        if (isBlobFamily(field.type)) raise(QStringLiteral("There are calc or BLOB fields in list of key fields"));
        field.rightAligned = isNumericFieldType(fieldTypeOf(field.type));
        buffer.fields.append(field);
    }
    buffer.image = cursor.blankImage();
    return buffer;
}

} // namespace vistelle
