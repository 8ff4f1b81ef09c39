#pragma once
// One field descriptor of a table: where the field lives in the row image and how it is stored.

#include "diary/engine/fieldtypes.h"

#include <QString>

namespace vistelle {

struct TVolgaField {
    QString name;
    QString prefix = QStringLiteral("XXX");
    quint16 width = 0;        // storage width in the row image
    qint16 size = 0;          // String size, SmallStr size code, 0 otherwise
    int offset = 0;           // fixed slot: byte offset; String / BLOB family: reference index
    EngineType type = EngineType::Unknown;
    bool rightAligned = false;
};

} // namespace vistelle
