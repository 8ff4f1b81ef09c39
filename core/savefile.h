#pragma once
// Writing a whole file the safe way: the bytes go to a temporary file in the same folder
// that replaces the old file only once complete, so a crash, a kill or a full disk leaves
// the old file whole. In a folder the user cannot write, a writable file is rewritten in
// place instead (there is no other way to save it there).

#include <QByteArray>
#include <QString>

namespace vistelle {

// Returns false when the file could not be written; the old file is then as it was
// (unless the in-place fallback failed part-way).
bool writeFileWhole(const QString& fileName, const QByteArray& bytes);

} // namespace vistelle
