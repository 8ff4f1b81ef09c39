#pragma once
// Writes a picture list as a set file; the layout is in setfile_format.md and the reader
// is setfilereader.h.

#include <QByteArray>
#include <QString>

namespace vistelle {

class TLMDGraphicList;

// The whole file image of a list.
QByteArray setFileBytes(const TLMDGraphicList& list);

// Creates or replaces the file atomically: the old file stays whole until the new one is
// complete. "Cannot create file <name>" when it cannot be created or completed.
void writeSetFile(const TLMDGraphicList& list, const QString& fileName);

} // namespace vistelle
