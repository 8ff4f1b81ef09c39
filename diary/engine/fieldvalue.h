#pragma once
// Native values of the row image: reading them as Variants, writing Variants into them, and
// the key text parser of Locate and Lookup.

#include "diary/engine/rowimage.h"
#include "diary/engine/variant.h"

namespace vistelle::fieldvalue {

// Date value <-> the stored millisecond count from the midnight that starts 31 December of year 0.
double storedFromDateTime(TDateTime value);
TDateTime dateTimeFromStored(double stored);

// The value of a field; Null for an empty Date, DateTime, SmallStr or String, an empty Text
// for an empty BLOB-family field.
Variant read(const RowImage& image, const TVolgaField& f);

// Replaces the field's value; Null and Unassigned empty it. A text is cut to the field's size.
void write(RowImage& image, const TVolgaField& f, const Variant& value);

// Parses a key text into the field's slot; what does not parse leaves the slot zero.
void parseKey(RowImage& image, const TVolgaField& f, const QByteArray& text);

// A copy that owns its bytes (texts read from a file refer into the file's image).
QByteArray detached(const QByteArray& bytes);

// The largest String value kept: a longer one could not be read back from the file.
int stringCapacity(const TVolgaField& f);

} // namespace vistelle::fieldvalue
