#pragma once
// Writing a whole file the safe way: the bytes go to a temporary file in the same folder
// that replaces the old file only once complete, so a crash, a kill or a full disk leaves
// the old file whole. In a folder the user cannot write, a writable file is rewritten in
// place instead (there is no other way to save it there).

#include <QByteArray>
#include <QString>

#include <functional>

namespace vistelle {

// What tells one version of a file from another without reading it: a file replaced by
// another program has another inode, one rewritten in place another time or size.
struct FileStamp {
    qint64 device = -1;
    qint64 inode = -1;
    qint64 size = -1;
    qint64 modifiedNs = -1;

    bool exists() const { return inode >= 0; }
    bool operator==(const FileStamp&) const = default;
    static FileStamp of(const QString& fileName); // not existing: !exists()
    static FileStamp ofDescriptor(int fd);
};

// Returns false when the file could not be written; the old file is then as it was
// (unless the in-place fallback failed part-way). written, when given, receives the
// stamp of the file as this call wrote it. stillCurrent, when given, is asked once the
// new file is complete and on disk, right before it replaces the old one: false leaves
// the old file as it is and returns false (a file rewritten in place has no such moment).
bool writeFileWhole(const QString& fileName, const QByteArray& bytes, FileStamp* written = nullptr,
                    const std::function<bool()>& stillCurrent = {});

} // namespace vistelle
