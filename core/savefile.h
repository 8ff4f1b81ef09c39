#pragma once
// Writing a whole file the safe way: the bytes go to a temporary file in the same folder,
// synced, that takes the old file's place only once complete; the folder is synced after,
// so that a crash, a kill, a full disk or a power cut leaves the old file or the new one.
// In a folder the user cannot write, a writable file is rewritten in place instead (there
// is no other way to save it there): inplacesave.h.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace vistelle {

// What tells one version of a file from another without reading it: a file replaced by
// another program has another inode, one rewritten in place another time or size. A stamp
// taken from an open file keeps the file open while it lives, so that its inode number
// cannot pass to a new file (file systems reuse them at once, and times are coarse).
struct FileStamp {
    qint64 device = -1;
    qint64 inode = -1;
    qint64 size = -1;
    qint64 modifiedNs = -1;
    std::shared_ptr<const int> held; // the open file, when taken from one

    bool exists() const { return inode >= 0; }
    bool operator==(const FileStamp& o) const
    {
        return device == o.device && inode == o.inode && size == o.size && modifiedNs == o.modifiedNs;
    }
    static FileStamp of(const QString& fileName); // not existing: !exists()
    static FileStamp ofDescriptor(int fd);
};

struct SaveResult {
    bool saved = false;
    // The file at the name was not the one expected: it was left in place.
    bool changedOnDisk = false;
    // Other programs' writes that the save swapped out at the last instant: each is put
    // back at once, and a copy of it kept under these names, to be merged (a program that
    // read the file in that instant may not have seen it).
    QStringList displaced;
    // Saved: the file as written. Not saved: the file as the failed save left it when the
    // save touched it (written but its folder not synced, or rewritten in place part-way),
    // otherwise !exists().
    FileStamp stamp;
};

// Saves bytes as fileName. With expected, only that version of the file may be replaced
// (one that does not exist: no file may be there); where the file system can swap two
// files in one step the check is made on the file swapped out, so that no other write can
// slip in between unseen: one that did is swapped back, and kept as displaced.
//
// ready, when given, tells how much of bytes is final yet: called with n, it waits until
// at least the first n bytes are and returns how many are. Each part is then written as
// soon as it is final and sent on its way to the disk at once, so that the disk works
// while the rest is still being made (a protected diary is sealed while it is written).
using BytesReady = std::function<qsizetype(qsizetype atLeast)>;
SaveResult saveFile(const QString& fileName, const QByteArray& bytes, const FileStamp* expected = nullptr,
                    const BytesReady& ready = {});

// Returns false when the file could not be written; the old file is then as it was.
// written, when given, receives the stamp of the file as this call wrote it. stillCurrent,
// when given, is asked once the new file is complete and on disk, right before it replaces
// the old one: false leaves the old file as it is and returns false (a file rewritten in
// place has no such moment).
bool writeFileWhole(const QString& fileName, const QByteArray& bytes, FileStamp* written = nullptr,
                    const std::function<bool()>& stillCurrent = {});

// Files of earlier saves of fileName left under a temporary name by a crash (a finished
// new version not yet in place, or the file a swap took out), and the copy an in-place
// save keeps until it is done: each holds entries that may be missing from the file.
// Oldest first. Merge them in like a conflict copy, then remove them.
QStringList leftoverSaves(const QString& fileName);

} // namespace vistelle
