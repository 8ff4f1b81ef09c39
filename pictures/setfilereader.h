#pragma once
// Reads a set file into an existing picture list, applying every property as it is read.
// The layout is in setfile_format.md; the writer is setfilewriter.h.
//
// Failures: "Cannot open file <name>", "Invalid stream format", "Stream read error",
// "Invalid property value", "Property <name> does not exist", "Invalid property path",
// "List index out of bounds (<n>)", "A component named <name> already exists",
// "''<name>'' is not a valid component name", and the picture decoders' messages; an
// error while a property is read is wrapped as "Error reading <object>.<path>: <reason>"
// at each level. Whatever was applied before a failure stays applied.

#include <QByteArray>
#include <QString>

namespace vistelle {

class TLMDGraphicList;

void readSetFile(const QString& fileName, TLMDGraphicList& list);
void readSetBytes(const QByteArray& bytes, TLMDGraphicList& list);

// The same reading, done on a copy of the list: the result takes the list's place only
// when the whole file was read, so a failure leaves the list exactly as it was. The name
// rules treat the copy as the list itself.
void readSetFileWhole(const QString& fileName, TLMDGraphicList& list);
void readSetBytesWhole(const QByteArray& bytes, TLMDGraphicList& list);

} // namespace vistelle
