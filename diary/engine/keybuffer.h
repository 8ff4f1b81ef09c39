#pragma once
// A key buffer: the key descriptors of a list of fields and a row image holding key values.
// Buffer 0 holds the keys of IndexFieldNames, buffer 1 those of Locate and Lookup.

#include "diary/engine/volgacursor.h"

namespace vistelle {

struct KeyBuffer {
    QList<TVolgaField> fields; // right-aligned as their field objects are
    RowImage image;
    QString names;             // the field list the buffer was built from

    int count() const { return int(fields.size()); }
    bool isEmpty() const { return fields.isEmpty(); }

    // Takes the fields named in `names` (";"-separated). "Field '%s' not found" for an unknown
    // name, "There are calc or BLOB fields in list of key fields" for a BLOB-family field.
    static KeyBuffer build(const TVolgaCursor& cursor, const QString& names);
};

// Splits a ";"-separated field list, trimming blanks; empty text gives no names.
QStringList splitFieldNames(const QString& names);

} // namespace vistelle
